#include <gtest/gtest.h>
#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <windows.h>

#include <minizip/iowin32.h>  // needs ioapi.h's types first

#include <string>

namespace {

// A zip in the temp folder under a non-ASCII name, written and read through the wide Win32 file I/O.
class MinizipStaticBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    m_path = std::wstring(dir) + L"tolvan-\u76ae\u80a4-" + std::to_wstring(GetCurrentProcessId()) + L".zip";
    fill_win32_filefunc64W(&m_io);
  }
  void TearDown() override { DeleteFileW(m_path.c_str()); }

  zipFile createZip() { return zipOpen2_64(m_path.c_str(), APPEND_STATUS_CREATE, nullptr, &m_io); }

  std::wstring m_path;
  zlib_filefunc64_def m_io{};
};

}  // namespace

TEST_F(MinizipStaticBuild, ReadsBackADeflatedEntry) {
  const std::string content = std::string(3000, 'a') + "<Window size=\"400,300\"/>";
  zipFile zip = createZip();
  ASSERT_NE(zip, nullptr);
  zip_fileinfo info{};
  ASSERT_EQ(zipOpenNewFileInZip64(zip, "skin/main.xml", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                  Z_BEST_COMPRESSION, 0),
            ZIP_OK);
  ASSERT_EQ(zipWriteInFileInZip(zip, content.data(), content.size()), ZIP_OK);
  ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
  ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);

  unzFile unzip = unzOpen2_64(m_path.c_str(), &m_io);
  ASSERT_NE(unzip, nullptr);
  ASSERT_EQ(unzLocateFile(unzip, "skin/main.xml", 0), UNZ_OK);
  unz_file_info64 entry{};
  ASSERT_EQ(unzGetCurrentFileInfo64(unzip, &entry, nullptr, 0, nullptr, 0, nullptr, 0), UNZ_OK);
  EXPECT_EQ(entry.compression_method, static_cast<uLong>(Z_DEFLATED));
  EXPECT_LT(entry.compressed_size, entry.uncompressed_size);
  std::string read(entry.uncompressed_size, '\0');
  ASSERT_EQ(unzOpenCurrentFile(unzip), UNZ_OK);
  EXPECT_EQ(unzReadCurrentFile(unzip, read.data(), read.size()), static_cast<int>(read.size()));
  EXPECT_EQ(unzCloseCurrentFile(unzip), UNZ_OK);  // checks the CRC
  EXPECT_EQ(unzClose(unzip), UNZ_OK);
  EXPECT_EQ(read, content);
}

TEST_F(MinizipStaticBuild, RejectsHeaderFieldsLongerThanTheFormatAllows) {
  zipFile zip = createZip();
  ASSERT_NE(zip, nullptr);
  zip_fileinfo info{};
  const std::string longName(0x10000, 'n');
  EXPECT_EQ(zipOpenNewFileInZip64(zip, longName.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                  Z_DEFAULT_COMPRESSION, 0),
            ZIP_PARAMERROR);
  const std::string longExtra(0x10000, 'x');
  EXPECT_EQ(zipOpenNewFileInZip64(zip, "a.txt", &info, longExtra.data(), longExtra.size(), nullptr, 0, nullptr,
                                  Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0),
            ZIP_PARAMERROR);
  EXPECT_EQ(zipClose(zip, nullptr), ZIP_OK);
}
