// Whole-file helpers for the asset builder, the command-line tools and the tests.
#include "writer.h"

#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/plat.h"

namespace {
const size_t kQuoteMax = 40;         // characters of a token quoted in a message
const u32 kTempAttempts = 100;       // names tried for the temporary file beside the target
const int kNewFileMode = 0666;       // narrowed by the umask, as any new file
const int kWalkFds = 16;             // folders held open while removing a scratch folder
const size_t kScratchDirsMax = 8;    // scratch folders one process may make
const u32 kLinkHops = 40;            // links followed to the file written, as the system follows them

bool Write_Fail(const std::string& path, int error) {
  fprintf(stderr, "cannot write %s: %s\n", path.c_str(), strerror(error));
  return false;
}

// Writes all bytes to fd; 0, or the system's error number.
int Write_All(int fd, const std::vector<u8>& bytes) {
  // Past a file-size limit the write fails with EFBIG instead of the signal ending the program.
  struct sigaction ignore = {}, old = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &old);
  int error = 0;
  for (size_t done = 0; done < bytes.size() && !error;) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0)
      done += size_t(n);
    else if (n == 0)
      error = EIO;  // no progress: never spin
    else if (errno != EINTR)
      error = errno;
  }
  sigaction(SIGXFSZ, &old, nullptr);
  return error;
}

// The scratch folders made, each removed at exit by the process that made it (a forked child inherits
// the list and the exit handler, but not the folders).
struct ScratchDir {
  char path[PATH_MAX];
  pid_t owner;
};
ScratchDir scratch_dirs[kScratchDirsMax];
size_t scratch_count = 0;

int Remove_Entry(const char* path, const struct stat*, int, struct FTW*) {
  remove(path);
  return 0;
}
void Remove_Scratch_Dirs(void) {
  for (size_t i = 0; i < scratch_count; i++)
    if (scratch_dirs[i].owner == getpid()) nftw(scratch_dirs[i].path, Remove_Entry, kWalkFds, FTW_DEPTH | FTW_PHYS);
}
}  // namespace

bool Write_File(const std::string& path, const std::vector<u8>& bytes) {
  // A link is followed: the file it names is replaced and the link stays.
  struct stat st;
  std::string target = path;
  for (u32 hop = 0; hop < kLinkHops && lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode); hop++) {
    char link[PATH_MAX];
    const ssize_t n = readlink(target.c_str(), link, sizeof link - 1);
    if (n <= 0) break;
    link[n] = 0;
    const size_t slash = target.rfind('/');
    target = link[0] == '/' || slash == std::string::npos ? std::string(link) : target.substr(0, slash + 1) + link;
  }
  const bool in_place = stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
  std::string temp = target;
  int fd = -1;
  if (in_place) {
    fd = open(target.c_str(), O_WRONLY | O_TRUNC);
  } else {
    for (u32 n = 0; n < kTempAttempts; n++) {
      temp = target + ".tmp" + std::to_string(getpid()) + "." + std::to_string(n);
      fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, kNewFileMode);
      if (fd >= 0 || errno != EEXIST) break;
    }
  }
  if (fd < 0) return Write_Fail(path, errno);
  int error = Write_All(fd, bytes);
  if (close(fd) != 0 && !error) error = errno;
  if (!error && !in_place && rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error && !in_place) unlink(temp.c_str());
  return error ? Write_Fail(path, error) : true;
}

bool Read_File(const std::string& path, std::vector<u8>* bytes, std::string* why) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) {
    if (why) *why = strerror(errno);
    return false;
  }
  bytes->clear();
  u8 buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes->insert(bytes->end(), buffer, buffer + n);
  const int error = ferror(f) ? errno : 0;
  fclose(f);
  if (error && why) *why = strerror(error);
  return !error;
}

std::string Quote_Token(const std::string& token) {
  return token.size() <= kQuoteMax ? token : token.substr(0, kQuoteMax) + "...";
}

bool Parse_Whole(const std::string& text, u32 max, u32* value) {
  // The settings' digit reader, and nothing after the digits (a NUL inside the text included).
  const char* end = Plat_Parse_Digits(text.c_str(), max, value);
  return end == text.c_str() + text.size();
}

std::string Scratch_Dir_Make(const std::string& parent) {
  std::string name = parent + "/vm.XXXXXX";
  if (scratch_count == kScratchDirsMax || name.size() >= PATH_MAX || !mkdtemp(name.data())) return "";
  if (scratch_count == 0) atexit(Remove_Scratch_Dirs);
  snprintf(scratch_dirs[scratch_count].path, PATH_MAX, "%s", name.c_str());
  scratch_dirs[scratch_count++].owner = getpid();
  return name;
}
