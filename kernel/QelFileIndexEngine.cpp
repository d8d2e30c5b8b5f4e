// QelFileIndexEngine: on-disk indexes of document ids.
#include "kernel/QelFileIndexEngine.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "kernel/QelCrc32.h"
#include "kernel/QelException.h"
#include "kernel/QelHome.h"

namespace {

constexpr char kPrimaryMagic[8] = {'Q', 'E', 'L', 'P', 'R', 'I', 'M', '1'};
constexpr std::uint32_t kSegmentMagic = 0x534C4551;  // "QELS"

using Ids = std::vector<std::int32_t>;

[[noreturn]] void ioFailure(const std::string& call, const std::string& path, int err) {
  throw QelExcFatal("TextSearch", kErrIndexIo, systemError(call.c_str(), err) + " (" + path + ")");
}

// Owns a descriptor.
class File {
 public:
  File(const std::string& path, int flags) : path_(path), fd_(::open(path.c_str(), flags | O_CLOEXEC, 0644)) {
    if (fd_ < 0) ioFailure("open", path, errno);
  }
  ~File() { ::close(fd_); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  void writeAt(const void* data, std::size_t length, off_t offset) {
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
      ssize_t n = ::pwrite(fd_, p, length, offset);
      if (n < 0) {
        if (errno == EINTR) continue;
        ioFailure("pwrite", path_, errno);
      }
      p += n;
      length -= static_cast<std::size_t>(n);
      offset += n;
    }
  }
  void truncate(off_t length) {
    if (::ftruncate(fd_, length) != 0) ioFailure("ftruncate", path_, errno);
  }
  void sync() {
    if (::fsync(fd_) != 0) ioFailure("fsync", path_, errno);
  }

 private:
  std::string path_;
  int fd_;
};

void syncFolder(const std::string& folder) {
  File dir(folder, O_RDONLY | O_DIRECTORY);
  dir.sync();
}

bool readWhole(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// Identity of a file as last seen, to notice changes made under us.
struct Stamp {
  bool present = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  std::int64_t mtimeNs = 0;
  bool operator==(const Stamp&) const = default;
};

Stamp stampOf(const std::string& path) {
  struct stat st {};
  Stamp s;
  if (::stat(path.c_str(), &st) != 0) return s;
  s.present = true;
  s.dev = st.st_dev;
  s.ino = st.st_ino;
  s.size = st.st_size;
  s.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return s;
}

std::string segmentBytes(const std::int32_t* ids, std::uint32_t count) {
  std::string seg(12 + 4 * static_cast<std::size_t>(count), '\0');
  std::memcpy(seg.data(), &kSegmentMagic, 4);
  std::memcpy(seg.data() + 4, &count, 4);
  if (count) std::memcpy(seg.data() + 8, ids, 4 * static_cast<std::size_t>(count));
  std::uint32_t crc = qelCrc32(seg.data() + 4, 4 + 4 * static_cast<std::size_t>(count));
  std::memcpy(seg.data() + 8 + 4 * static_cast<std::size_t>(count), &crc, 4);
  return seg;
}

// Reads the good segments of a log; returns the length they fill. A torn or
// damaged segment ends the log: what follows it was never completed.
off_t readLog(const std::string& path, Ids& ids) {
  std::string bytes;
  if (!readWhole(path, bytes)) return 0;
  std::size_t pos = 0;
  while (bytes.size() - pos >= 12) {
    std::uint32_t magic, count;
    std::memcpy(&magic, bytes.data() + pos, 4);
    std::memcpy(&count, bytes.data() + pos + 4, 4);
    if (magic != kSegmentMagic) break;
    std::size_t body = 4 * static_cast<std::size_t>(count);
    if (bytes.size() - pos - 12 < body) break;
    std::uint32_t crc;
    std::memcpy(&crc, bytes.data() + pos + 8 + body, 4);
    if (qelCrc32(bytes.data() + pos + 4, 4 + body) != crc) break;
    std::size_t at = ids.size();
    ids.resize(at + count);
    std::memcpy(ids.data() + at, bytes.data() + pos + 8, body);
    pos += 12 + body;
  }
  return static_cast<off_t>(pos);
}

void sortUnique(Ids& ids) {
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
}

Ids merged(const Ids& a, const Ids& b) {
  Ids out;
  out.reserve(a.size() + b.size());
  std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  return out;
}

Ids without(const Ids& a, const Ids& b) {
  Ids out;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  return out;
}

bool validName(const std::string& name) {
  return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos;
}

}  // namespace

struct QelFileIndexEngine::State {
  std::string folder;
  QelString service;
  Ids primary;    // sorted, unique
  Ids secondary;  // sorted, unique, none in primary
  Ids scheduled;  // sorted, unique
  off_t secondaryLength = 0;  // bytes of good segments
  off_t scheduledLength = 0;
  Stamp primaryStamp, secondaryStamp, scheduledStamp;

  std::string path(const char* file) const { return folder + "/" + file; }
  bool stampsCurrent() const {
    return primaryStamp == stampOf(path("primary.ids")) &&
           secondaryStamp == stampOf(path("secondary.log")) &&
           scheduledStamp == stampOf(path("scheduled.log"));
  }
  void restamp() {
    primaryStamp = stampOf(path("primary.ids"));
    secondaryStamp = stampOf(path("secondary.log"));
    scheduledStamp = stampOf(path("scheduled.log"));
  }

  void read(const QelString& name) {
    std::string info;
    if (!readWhole(path("info"), info) || !exists(path("primary.ids"))) {
      throw QelExcFatal("TextSearch", kErrIndexMissing,
                        "text-search index " + name.str() + " does not exist (folder " + folder + ")");
    }
    auto eq = info.find('=');
    std::string svc = eq == std::string::npos ? info : info.substr(eq + 1);
    while (!svc.empty() && (svc.back() == '\n' || svc.back() == '\r')) svc.pop_back();
    service = QelString(svc);

    std::string bytes;
    if (!readWhole(path("primary.ids"), bytes)) ioFailure("open", path("primary.ids"), errno);
    std::uint32_t count = 0;
    bool good = bytes.size() >= 16 && std::memcmp(bytes.data(), kPrimaryMagic, 8) == 0;
    if (good) {
      std::memcpy(&count, bytes.data() + 8, 4);
      good = bytes.size() == 16 + 4 * static_cast<std::size_t>(count);
    }
    if (good) {
      std::uint32_t crc;
      std::memcpy(&crc, bytes.data() + bytes.size() - 4, 4);
      good = qelCrc32(bytes.data() + 8, 4 + 4 * static_cast<std::size_t>(count)) == crc;
    }
    if (!good) {
      throw QelExcFatal("TextSearch", kErrIndexDamaged,
                        "the primary part of index " + name.str() + " is damaged (" +
                            path("primary.ids") + ")");
    }
    primary.resize(count);
    if (count) std::memcpy(primary.data(), bytes.data() + 12, 4 * static_cast<std::size_t>(count));

    secondary.clear();
    secondaryLength = readLog(path("secondary.log"), secondary);
    sortUnique(secondary);
    secondary = without(secondary, primary);  // a merge that stopped half-way
    scheduled.clear();
    scheduledLength = readLog(path("scheduled.log"), scheduled);
    sortUnique(scheduled);
    restamp();
  }

  void append(const char* file, off_t& length, const Ids& ids) {
    std::string seg = segmentBytes(ids.data(), static_cast<std::uint32_t>(ids.size()));
    File f(path(file), O_WRONLY | O_CREAT);
    f.truncate(length);  // drops a torn tail before the new segment
    f.writeAt(seg.data(), seg.size(), length);
    f.sync();
    length += static_cast<off_t>(seg.size());
  }

  void clearLog(const char* file, off_t& length) {
    File f(path(file), O_WRONLY | O_CREAT);
    f.truncate(0);
    f.sync();
    length = 0;
  }

  void writePrimary(const Ids& ids) {
    std::string bytes(16 + 4 * ids.size(), '\0');
    std::uint32_t count = static_cast<std::uint32_t>(ids.size());
    std::memcpy(bytes.data(), kPrimaryMagic, 8);
    std::memcpy(bytes.data() + 8, &count, 4);
    if (count) std::memcpy(bytes.data() + 12, ids.data(), 4 * ids.size());
    std::uint32_t crc = qelCrc32(bytes.data() + 8, 4 + 4 * ids.size());
    std::memcpy(bytes.data() + bytes.size() - 4, &crc, 4);
    const std::string tmp = path("primary.ids.tmp");
    {
      File f(tmp, O_WRONLY | O_CREAT | O_TRUNC);
      f.writeAt(bytes.data(), bytes.size(), 0);
      f.sync();
    }
    if (::rename(tmp.c_str(), path("primary.ids").c_str()) != 0)
      ioFailure("rename", path("primary.ids"), errno);
    syncFolder(folder);
  }

  bool held() const { return exists(path("hold")); }
};

QelFileIndexEngine::QelFileIndexEngine() = default;
QelFileIndexEngine::~QelFileIndexEngine() = default;

std::string QelFileIndexEngine::folder(const QelString& name) {
  return qelHomePath("index") + "/" + name.str();
}

QelFileIndexEngine::State& QelFileIndexEngine::load(const QelString& name) {
  if (!validName(name.str())) {
    throw QelExcFatal("TextSearch", kErrIndexMissing,
                      "\"" + name.str() + "\" is not a valid index name (folder " + folder(name) + ")");
  }
  std::unique_ptr<State>& slot = cache_[folder(name)];
  if (slot && slot->stampsCurrent() && exists(slot->path("info"))) return *slot;
  auto fresh = std::make_unique<State>();
  fresh->folder = folder(name);
  fresh->read(name);
  slot = std::move(fresh);
  return *slot;
}

void QelFileIndexEngine::openIndex(const QelString& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  load(name);
}

QelIndexInfo QelFileIndexEngine::retrieveInfo(const QelString& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  return QelIndexInfo{load(name).service};
}

QelIndexStatus QelFileIndexEngine::retrieveStatus(const QelString& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  State& s = load(name);
  QelIndexStatus status;
  status.available = s.held() ? 0 : 1;
  status.primaryCount = static_cast<std::uint32_t>(s.primary.size());
  status.secondaryCount = static_cast<std::uint32_t>(s.secondary.size());
  status.scheduledCount = static_cast<std::uint32_t>(s.scheduled.size());
  return status;
}

void QelFileIndexEngine::scheduleDocument(const QelString& name, const QelDocQueue& queue) {
  std::lock_guard<std::mutex> lock(mutex_);
  State& s = load(name);
  if (s.held()) {
    throw QelExcNonFatal("TextSearch", kErrIndexHeld,
                         "index " + name.str() + " is held by an administrator");
  }
  Ids batch(queue.begin(), queue.end());
  if (batch.empty()) return;
  s.append("scheduled.log", s.scheduledLength, batch);
  sortUnique(batch);
  s.scheduled = merged(s.scheduled, batch);
  s.restamp();
}

void QelFileIndexEngine::update(const QelString& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  State& s = load(name);
  if (s.held()) {
    throw QelExcNonFatal("TextSearch", kErrIndexHeld,
                         "index " + name.str() + " is held by an administrator");
  }
  if (!s.scheduled.empty()) {
    Ids fresh = without(without(s.scheduled, s.primary), s.secondary);
    if (!fresh.empty()) {
      s.append("secondary.log", s.secondaryLength, fresh);
      s.secondary = merged(s.secondary, fresh);
    }
    s.clearLog("scheduled.log", s.scheduledLength);
    s.scheduled.clear();
  }
  if (s.secondary.size() >= kMergeMinimum && s.secondary.size() * 4 >= s.primary.size()) {
    Ids whole = merged(s.primary, s.secondary);
    s.writePrimary(whole);
    s.primary = std::move(whole);
    s.clearLog("secondary.log", s.secondaryLength);
    s.secondary.clear();
  }
  s.restamp();
}

void QelFileIndexEngine::create(const QelString& name, const QelString& libraryServiceName) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!validName(name.str())) {
    throw QelExcFatal("TextSearch", kErrIndexMissing,
                      "\"" + name.str() + "\" is not a valid index name");
  }
  const std::string dir = folder(name);
  if (exists(dir + "/info")) {
    throw QelExcFatal("TextSearch", kErrIndexExists, "index " + name.str() + " exists already (folder " + dir + ")");
  }
  for (const std::string& d : {qelHomeDirectory(), qelHomePath("index"), dir}) {
    if (::mkdir(d.c_str(), 0755) != 0 && errno != EEXIST) ioFailure("mkdir", d, errno);
  }
  State s;
  s.folder = dir;
  s.writePrimary({});
  s.clearLog("secondary.log", s.secondaryLength);
  s.clearLog("scheduled.log", s.scheduledLength);
  const std::string info = "libraryServiceName=" + libraryServiceName.str() + "\n";
  {
    File f(dir + "/info.tmp", O_WRONLY | O_CREAT | O_TRUNC);
    f.writeAt(info.data(), info.size(), 0);
    f.sync();
  }
  if (::rename((dir + "/info.tmp").c_str(), (dir + "/info").c_str()) != 0) ioFailure("rename", dir + "/info", errno);
  syncFolder(dir);
  cache_.erase(dir);
}

void QelFileIndexEngine::hold(const QelString& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  State& s = load(name);
  File f(s.path("hold"), O_WRONLY | O_CREAT);
  f.sync();
}

void QelFileIndexEngine::release(const QelString& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  State& s = load(name);
  if (::unlink(s.path("hold").c_str()) != 0 && errno != ENOENT) ioFailure("unlink", s.path("hold"), errno);
}

std::vector<std::string> QelFileIndexEngine::list() {
  std::vector<std::string> names;
  DIR* dir = ::opendir(qelHomePath("index").c_str());
  if (!dir) return names;
  while (dirent* e = ::readdir(dir)) {
    std::string n = e->d_name;
    if (validName(n) && exists(qelHomePath("index") + "/" + n + "/info")) names.push_back(n);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::int32_t> QelFileIndexEngine::dump(const QelString& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  State& s = load(name);
  Ids out = s.primary;
  out.insert(out.end(), s.secondary.begin(), s.secondary.end());
  Ids pending = without(without(s.scheduled, s.primary), s.secondary);
  out.insert(out.end(), pending.begin(), pending.end());
  return out;
}
