#include "safetree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace safetree {

#ifdef Q_OS_UNIX
namespace {

// Deeper than anything the program makes; a deeper tree is left rather than followed.
constexpr int kDeepest = 64;

// Opens the folder name in the folder at, never through a link (O_NOFOLLOW on a link
// fails), or -1.
int openFolderAt(int at, const char* name)
{
    return ::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool removeContents(int folder, int depth)
{
    if (depth > kDeepest)
        return false;
    const int listed = ::dup(folder);
    if (listed < 0)
        return false;
    DIR* dir = ::fdopendir(listed);
    if (!dir) {
        ::close(listed);
        return false;
    }
    bool all = true;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        struct stat st {};
        if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            all = all && errno == ENOENT;
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            // A file, a link (only the link goes), a pipe or a device node.
            if (::unlinkat(folder, name, 0) != 0 && errno != ENOENT)
                all = false;
            continue;
        }
        const int inner = openFolderAt(folder, name);
        if (inner < 0) {
            all = false;
            continue;
        }
        const bool emptied = removeContents(inner, depth + 1);
        ::close(inner);
        // A folder swapped for a link meanwhile is not removed by AT_REMOVEDIR.
        if (!emptied || ::unlinkat(folder, name, AT_REMOVEDIR) != 0)
            all = false;
    }
    ::closedir(dir);
    return all;
}

} // namespace

bool removeTree(const QString& path)
{
    const QFileInfo info(path);
    const QByteArray parentPath = QFile::encodeName(info.absolutePath());
    const QByteArray name = QFile::encodeName(info.fileName());
    const int parent = ::open(parentPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0)
        return errno == ENOENT;
    struct stat st {};
    bool removed = false;
    if (::fstatat(parent, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        removed = errno == ENOENT;
    } else if (S_ISDIR(st.st_mode)) {
        const int folder = openFolderAt(parent, name.constData());
        if (folder >= 0) {
            removed = removeContents(folder, 0);
            ::close(folder);
            removed = removed && ::unlinkat(parent, name.constData(), AT_REMOVEDIR) == 0;
        }
    }
    ::close(parent);
    return removed;
}

#else

bool removeTree(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (info.isSymLink() || info.isJunction() || !info.isDir())
        return false;
    return QDir(path).removeRecursively();
}

#endif

} // namespace safetree
