#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Result.h"

namespace slicedl {

struct Options;
class Slice;
class TargetFile;

// What one download keeps on disk and in memory: the file size, the slices, the temporary file
// (target + ".slicedl") and the index file (target + ".sdlindex") a later run resumes from.
class SliceManager : public std::enable_shared_from_this<SliceManager> {
 public:
  explicit SliceManager(Options* options);
  virtual ~SliceManager();

  Result loadIndex();
  // Forgets whatever a load left behind, so the fresh cut starts clean.
  void discardLoadedState();
  // Writes the index atomically (a temporary name, then a replace): a kill during the save leaves
  // the previous index whole.
  bool flushIndex();
  // Puts every slice's cache into the temporary file, syncs it and then saves the index, so the
  // index never counts bytes that are not on disk. Runs on the run's task.
  bool saveProgress();
  // A write to the temporary file fell short: the run cannot end well.
  void noteWriteFailure() { m_writeFailed = true; }
  // Stores the size and puts an index without slices in place of any earlier one.
  bool setFileSize(int64_t size);
  // Before bytes of another cut of the file are written: the index on disk describes the current
  // slices, or there is none. False when an older index stays in place.
  bool replaceIndex();
  // Kept in the index so a later run can tell that the server's file changed; set before the size.
  void setFileVersion(const std::string& version) { m_fileVersion = version; }
  const std::string& fileVersion() const { return m_fileVersion; }
  Result makeSlices();
  Result checkCompleted();
  bool allSlicesComplete() const;
  // The slices keep their bounds but count nothing saved, and the index says so.
  void forgetRefusedBytes();
  Result finish(bool verify);
  std::shared_ptr<Slice> takeNextSlice(bool detachFinished, CURLM* multi);
  // Some slice's range was answered with the whole file.
  bool rangeIgnored() const;
  // Some slice's reply came from another version of the file than the run expected.
  bool versionChanged() const;
  // Replaces the slices by one that asks for the whole file without a range, from offset 0.
  // The caller has detached every transfer first.
  void useSingleStream();
  int32_t idleSliceCount() const;
  int64_t totalDownloaded() const;
  int64_t fileSize() const { return m_fileSize.load(); }
  std::shared_ptr<TargetFile> targetFile() const { return m_targetFile; }
  Options* options() const { return m_options; }
  const std::vector<std::shared_ptr<Slice>>& slices() const { return m_slices; }
  const std::string& indexFilePath() const { return m_indexFilePath; }
  const std::string& tmpFilePath() const { return m_tmpFilePath; }
  void dumpSlices() const;
  Result fileHash(std::string& digest) const;

 private:
  std::string expectedTmpFilePath() const;
  bool transfersEndedCleanly() const;
  Result compareHash(std::string& digest, bool& computed) const;

  Options* m_options;
  std::atomic<int64_t> m_fileSize{0};
  std::string m_indexFilePath;
  std::string m_tmpFilePath;
  std::string m_fileVersion;
  std::vector<std::shared_ptr<Slice>> m_slices;
  // The reporters' threads read the slices while the run's task may replace them.
  mutable std::mutex m_slicesLock;
  std::shared_ptr<TargetFile> m_targetFile;
  std::atomic<bool> m_writeFailed{false};
};

}  // namespace slicedl
