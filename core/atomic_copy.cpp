#include "core/atomic_copy.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "core/posixfile.h"

static std::string DirectoryOf(const char* path)
{
    const std::string text(path);
    const size_t slash = text.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return text.substr(0, slash);
}

static bool CopyContents(int from, int to)
{
    unsigned char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = read(from, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (!WriteFully(to, chunk, static_cast<size_t>(got)))
            return false;
    }
}

static int OpenDirectory(const std::string& directory)
{
    return open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

static bool SyncDirectory(int fd)
{
    // Some file systems cannot sync a directory at all; that is no error.
    return fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
}

// Writes the source's bytes and mode into the open new file and flushes it.
static bool FillNewFile(int source, int target)
{
    struct stat info;
    if (fstat(source, &info) != 0 || !CopyContents(source, target))
        return false;
    return fchmod(target, info.st_mode & 0777) == 0 && fsync(target) == 0;
}

bool AtomicCopyFile(const char* source, const char* destination)
{
    if (destination == nullptr || *destination == '\0')
        return false;
    uint64_t size = 0;
    const int in = OpenRegularFileForReading(source, size);
    if (in < 0)
        return false;
    const std::string directory = DirectoryOf(destination);
    std::string temporary = directory + "/.quillbox-copy-XXXXXX";
    const int out = mkostemp(temporary.data(), O_CLOEXEC);
    if (out < 0) {
        close(in);
        return false;
    }
    bool ready = FillNewFile(in, out);
    close(in);
    ready = CloseChecked(out) && ready;
    const int directoryFd = ready ? OpenDirectory(directory) : -1;
    if (directoryFd < 0 || rename(temporary.c_str(), destination) != 0) {
        unlink(temporary.c_str());
        if (directoryFd >= 0)
            close(directoryFd);
        return false;
    }
    const bool synced = SyncDirectory(directoryFd);
    close(directoryFd);
    return synced;
}
