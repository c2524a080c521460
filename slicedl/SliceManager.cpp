#include "SliceManager.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "FileHash.h"
#include "FileHelpers.h"
#include "IndexFile.h"
#include "Options.h"
#include "Slice.h"
#include "TargetFile.h"

namespace slicedl {
namespace {

constexpr int64_t kAutoSingleSliceLimit = 15728640;  // files up to 15 MiB are one slice
constexpr int64_t kAutoSliceSize = 10485760;

bool ReadWholeFile(const std::string& path, std::string& bytes, int64_t& size) {
  FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return false;
  size = GetFileSize(file);
  if (size >= 0 && size <= kMaxIndexFileSize) {
    bytes.resize(static_cast<size_t>(size));
    SeekFile(file, 0, SEEK_SET);
    if (!bytes.empty() && fread(&bytes[0], 1, bytes.size(), file) != bytes.size()) size = -1;
  }
  fclose(file);
  return true;
}

}  // namespace

SliceManager::SliceManager(Options* options)
    : m_options(options),
      m_indexFilePath(AppendFileName(GetDirectory(options->targetFilePath),
                                     GetFileName(options->targetFilePath) + ".sdlindex")),
      m_targetFile(std::make_shared<TargetFile>()) {}

SliceManager::~SliceManager() = default;

std::string SliceManager::expectedTmpFilePath() const { return m_options->targetFilePath + ".slicedl"; }

Result SliceManager::loadIndex() {
  std::string bytes;
  int64_t size = -1;
  if (!ReadWholeFile(m_indexFilePath, bytes, size)) return Result::IndexOpenFailed;
  if (size < static_cast<int64_t>(kIndexMagicSize) || size > kMaxIndexFileSize) {
    m_options->log("index file has a bad size: " + std::to_string(size));
    return Result::BadIndexFile;
  }
  IndexContent content;
  std::string error;
  if (ParseIndex(bytes, expectedTmpFilePath(), content, error) != Result::Success) {
    m_options->log("load exist slice exception: " + error);
    return Result::BadIndexFile;
  }
  const int64_t age = CurrentUnixTime() - content.updateTime;
  if (age < 0 || (m_options->tmpFileExpiredTime >= 0 && age > m_options->tmpFileExpiredTime)) {
    return Result::IndexExpired;
  }
  m_fileSize.store(content.fileSize);
  m_tmpFilePath = content.tmpFilePath;
  m_fileVersion = content.fileVersion;
  if (!FileIsReadWritable(m_tmpFilePath)) return Result::TempFileMissing;
  if (GetFileSize(m_tmpFilePath) != content.fileSize) return Result::TempSizeMismatch;
  if (!m_targetFile->open(m_tmpFilePath)) return Result::TempOpenFailed;
  if (content.url != m_options->url && !m_options->skipUrlMismatch) return Result::IndexUrlMismatch;
  m_slices.clear();
  const auto self = shared_from_this();
  for (const SliceRecord& record : content.slices) {
    m_slices.push_back(std::make_shared<Slice>(static_cast<int32_t>(m_slices.size()), record.begin,
                                               record.end, record.capacity, self));
  }
  m_options->log("load exist slice success");
  dumpSlices();
  return Result::Success;
}

void SliceManager::discardLoadedState() {
  m_targetFile->close();
  m_fileSize.store(0);
  m_tmpFilePath.clear();
  m_fileVersion.clear();
  m_slices.clear();
}

bool SliceManager::flushIndex() {
  if (m_indexFilePath.empty()) return false;
  IndexContent content;
  content.updateTime = CurrentUnixTime();
  content.fileSize = m_fileSize.load();
  content.url = m_options->url;
  content.tmpFilePath = m_tmpFilePath;
  content.fileVersion = m_fileVersion;
  for (const auto& slice : m_slices) {
    content.slices.push_back({slice->begin(), slice->end(), slice->provenCapacity()});
  }
  std::string bytes;
  if (!SerializeIndex(content, bytes)) return false;
  const std::string savingPath = m_indexFilePath + ".tmp";
  FILE* file = OpenFile(savingPath, "wb");
  if (file == nullptr) {
    m_options->log("index file not written: " + ErrnoText(errno));
    return false;
  }
  bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = SyncFile(file) && ok;
  const int error = errno;
  ok = fclose(file) == 0 && ok;
  if (ok && RenameFile(savingPath, m_indexFilePath, true)) return true;
  m_options->log("index file not written: " + (ok ? RenameErrorText() : ErrnoText(error)));
  RemoveFile(savingPath);
  return false;
}

bool SliceManager::saveProgress() {
  bool written = true;
  for (const auto& slice : m_slices) written = slice->flushCache() && written;
  // Bytes that did not reach the disk are not counted: the index stays behind them.
  if (!m_targetFile->sync()) {
    noteWriteFailure();
    m_options->log("temporary file not synced: " + ErrnoText(m_targetFile->lastError()));
    return false;
  }
  return flushIndex() && written;
}

bool SliceManager::setFileSize(int64_t size) {
  m_fileSize.store(size);
  return replaceIndex();
}

bool SliceManager::replaceIndex() {
  if (flushIndex()) return true;
  // An index that cannot be rewritten must at least not outlive the bytes it describes.
  if (RemoveFile(m_indexFilePath) || !FileIsExist(m_indexFilePath)) {
    m_options->log("index file removed");
    return true;
  }
  m_options->log("index file neither rewritten nor removed");
  return false;
}

Result SliceManager::makeSlices() {
  if (!m_slices.empty()) return Result::Success;
  const int64_t fileSize = m_fileSize.load();
  if (!m_targetFile->isOpen()) {
    m_tmpFilePath = expectedTmpFilePath();
    if (!m_targetFile->create(m_tmpFilePath, fileSize < 0 ? 0 : fileSize)) {
      m_options->log("temporary file not created: " + ErrnoText(errno));
      return Result::FileCreateFailed;
    }
  }
  const auto self = shared_from_this();
  if (fileSize < 0) {
    m_slices.push_back(std::make_shared<Slice>(0, 0, -1, 0, self));
    dumpSlices();
    return Result::Success;
  }
  int64_t sliceSize = 0;
  switch (m_options->slicePolicy) {
    case SlicePolicy::FixedSize:
      sliceSize = m_options->slicePolicyValue;
      break;
    case SlicePolicy::FixedNum:
      if (m_options->slicePolicyValue > 0) sliceSize = fileSize / m_options->slicePolicyValue;
      break;
    case SlicePolicy::Auto:
      sliceSize = fileSize <= kAutoSingleSliceLimit ? fileSize : kAutoSliceSize;
      break;
  }
  if (sliceSize >= 1) {
    int64_t begin = 0;
    for (int32_t ordinal = 0;; ++ordinal) {
      const int64_t end = begin + sliceSize - 1 < fileSize - 1 ? begin + sliceSize - 1 : fileSize - 1;
      const bool last = (m_options->slicePolicy == SlicePolicy::FixedNum &&
                         ordinal == m_options->slicePolicyValue) ||
                        end == fileSize - 1;
      // The last slice is bounded by the size too, so completion can be proven for it.
      m_slices.push_back(std::make_shared<Slice>(ordinal, begin, last ? fileSize - 1 : end, 0, self));
      if (last) break;
      begin = end + 1;
    }
  }
  dumpSlices();
  return Result::Success;
}

bool SliceManager::allSlicesComplete() const {
  if (m_slices.empty()) return false;
  for (const auto& slice : m_slices) {
    if (!slice->isCompleted()) return false;
  }
  return true;
}

bool SliceManager::transfersEndedCleanly() const {
  for (const auto& slice : m_slices) {
    if (!slice->endedCleanly()) return false;
  }
  return !m_slices.empty();
}

Result SliceManager::fileHash(std::string& digest) const {
  return GetFileHash(m_options->hashType, m_tmpFilePath, m_options, digest);
}

// Success/HashMismatch when a digest was computed; Stopped or a read error pass through;
// `computed` is false when no hash could be had at all.
Result SliceManager::compareHash(std::string& digest, bool& computed) const {
  const Result result = fileHash(digest);
  computed = result != Result::HashUnavailable;
  if (result != Result::Success) return result;
  return HashTextsEqual(digest, m_options->hashValue) ? Result::Success : Result::HashMismatch;
}

Result SliceManager::checkCompleted() {
  const bool hasHash = !m_options->hashValue.empty();
  std::string digest;
  bool computed = false;
  if (hasHash && m_options->hashVerifyPolicy == HashVerifyPolicy::AlwaysVerify) {
    const Result result = compareHash(digest, computed);
    if (computed) return result;
  }
  if (m_fileSize.load() != -1) {
    return totalDownloaded() == m_fileSize.load() && allSlicesComplete() ? Result::Success
                                                                         : Result::SizeMismatch;
  }
  if (hasHash) {
    const Result result = compareHash(digest, computed);
    if (computed) return result;
  }
  return Result::Unverifiable;
}

Result SliceManager::finish(bool verify) {
  m_options->log("finish download progress");
  Result code = Result::Success;
  for (const auto& slice : m_slices) {
    if (!slice->flushCache()) code = Result::CacheFlushFailed;
  }
  // A write that fell short earlier ended its transfer; the run names the write, not the gap it left.
  if (m_writeFailed) code = Result::CacheFlushFailed;
  // Neither the index nor the rename may claim bytes that are not on disk: when they cannot be
  // synced, the last index saved stays as it is and no target appears.
  const bool synced = m_targetFile->sync();
  if (!synced) {
    m_options->log("temporary file not synced, the last saved index is kept: " +
                   ErrnoText(m_targetFile->lastError()));
    code = Result::CacheFlushFailed;
  }
  m_targetFile->close();
  if (synced && !flushIndex()) m_options->log("flush index file failed");
  if (code == Result::CacheFlushFailed) return code;
  if (verify) {
    const Result check = checkCompleted();
    if (check == Result::Unverifiable) {
      // Without a size or hash only a transfer that ended cleanly vouches for the file.
      if (!transfersEndedCleanly()) return Result::Unverifiable;
    } else if (check != Result::Success) {
      if (check == Result::HashMismatch && allSlicesComplete()) forgetRefusedBytes();
      return check;
    }
  }
  if (!RenameFile(m_tmpFilePath, m_options->targetFilePath, true)) {
    m_options->log("rename to the target failed: " + RenameErrorText());
    return Result::RenameFailed;
  }
  if (!RemoveFile(m_indexFilePath)) m_options->log("remove index file failed");
  RemoveFile(m_indexFilePath + ".tmp");  // left by a run killed while saving
  return Result::Success;
}

// Every byte is there and the hash refuses them: the slices start over, so neither this run nor a
// later one resumes from an index that claims the file whole.
void SliceManager::forgetRefusedBytes() {
  m_options->log("the hash refuses the saved bytes, every slice starts over");
  std::vector<std::shared_ptr<Slice>> fresh;
  const auto self = shared_from_this();
  for (const auto& slice : m_slices) {
    fresh.push_back(std::make_shared<Slice>(slice->ordinal(), slice->begin(), slice->end(), 0, self));
  }
  {
    std::lock_guard<std::mutex> lock(m_slicesLock);
    m_slices = std::move(fresh);
  }
  if (!replaceIndex()) m_options->log("flush index file failed");
}

std::shared_ptr<Slice> SliceManager::takeNextSlice(bool detachFinished, CURLM* multi) {
  const bool detach = detachFinished && multi != nullptr;
  for (const auto& slice : m_slices) {
    if (slice->isCompleted()) {
      if (detach && !slice->awaitsReplyEnd()) slice->remove(multi);
      continue;
    }
    if (slice->status() == SliceStatus::Idle) {
      slice->setTaken();
      return slice;
    }
  }
  return nullptr;
}

int32_t SliceManager::idleSliceCount() const {
  int32_t count = 0;
  for (const auto& slice : m_slices) {
    if (!slice->isCompleted() && slice->status() == SliceStatus::Idle) ++count;
  }
  return count;
}

bool SliceManager::rangeIgnored() const {
  return std::any_of(m_slices.begin(), m_slices.end(), [](const auto& slice) { return slice->rangeIgnored(); });
}

bool SliceManager::versionChanged() const {
  return std::any_of(m_slices.begin(), m_slices.end(), [](const auto& slice) { return slice->versionChanged(); });
}

void SliceManager::useSingleStream() {
  const int64_t size = m_fileSize.load();
  auto single = std::make_shared<Slice>(0, 0, size < 0 ? -1 : size - 1, 0, shared_from_this());
  single->requestWithoutRange();
  {
    std::lock_guard<std::mutex> lock(m_slicesLock);
    m_slices = {single};
  }
  dumpSlices();
}

int64_t SliceManager::totalDownloaded() const {
  std::lock_guard<std::mutex> lock(m_slicesLock);
  int64_t total = 0;
  for (const auto& slice : m_slices) total += slice->received();
  return total;
}

void SliceManager::dumpSlices() const {
  if (!m_options->verboseFunctor.enabled()) return;
  std::string text;
  int index = 0;
  for (const auto& slice : m_slices) {
    text += "<" + std::to_string(index++) + "> [" + std::to_string(slice->begin()) + "~" +
            std::to_string(slice->end()) + "], Disk: " + std::to_string(slice->capacity()) +
            ", Buffer: " + std::to_string(slice->cacheUsed()) + "\r\n";
  }
  m_options->log(text);
}

}  // namespace slicedl
