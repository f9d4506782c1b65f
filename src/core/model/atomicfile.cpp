#include "model/atomicfile.h"

#include "model/failure.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

namespace vexil {

#ifdef Q_OS_UNIX
namespace {

// Closes a descriptor, and removes the temporary file it was made for unless it was kept.
class OpenedFile {
public:
    OpenedFile(int fd, QByteArray removeName) : m_fd(fd), m_remove(std::move(removeName)) {}
    ~OpenedFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_remove.isEmpty())
            ::unlink(m_remove.constData());
    }
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

    int fd() const { return m_fd; }
    bool close()
    {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0;
    }
    void keep() { m_remove.clear(); }

private:
    int m_fd;
    QByteArray m_remove;
};

// Writes the body through a QFile over the descriptor, then makes it durable.
bool writeBody(int fd, const FileBody& body)
{
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle))
        return false;
    if (!body(file) || !file.flush())
        return false;
    file.close();
    // On the disk before it takes the old file's place; a file system that cannot sync is
    // no reason to fail.
#if defined(Q_OS_LINUX)
    ::fdatasync(fd);
#else
    ::fsync(fd);
#endif
    return true;
}

QByteArray temporaryName(const QByteArray& target)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name = target + '.';
    for (int i = 0; i < 6; ++i)
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
    return name;
}

} // namespace

void WriteFileAtomically(const QString& path, const FileBody& body, InPlace inPlace)
{
    const QByteArray target = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    // What stands at the final name, not what a link there points to.
    struct stat status {};
    bool exists = false;
    if (::lstat(target.constData(), &status) == 0) {
        exists = true;
        if (!S_ISREG(status.st_mode))
            throw cannotCreate(path);
        // Read-only stays read-only, also for root, who may write anything.
        if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
            ::access(target.constData(), W_OK) != 0)
            throw cannotCreate(path);
    } else if (errno != ENOENT) {
        throw cannotCreate(path);
    }
    const mode_t mode = exists ? (status.st_mode & 07777) : 0666;

    int fd = -1;
    QByteArray temporary;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryName(target);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    mode & 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        // The folder takes no new file: write the file itself, if it may be written.
        if (inPlace != InPlace::Allowed || !exists ||
            (errno != EACCES && errno != EPERM && errno != EROFS))
            throw cannotCreate(path);
        OpenedFile direct(::open(target.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC), {});
        struct stat opened {};
        if (direct.fd() < 0 || ::fstat(direct.fd(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
            ::ftruncate(direct.fd(), 0) != 0 || !writeBody(direct.fd(), body) || !direct.close())
            throw cannotCreate(path);
        return;
    }
    OpenedFile file(fd, temporary);
    // The new file takes the old one's permissions exactly (the mask of new files aside).
    if (exists)
        ::fchmod(fd, mode);
    if (!writeBody(fd, body) || !file.close())
        throw cannotCreate(path);
    // A rename replaces whatever stands at the name by now (a link included) without
    // following it.
    if (::rename(temporary.constData(), target.constData()) != 0)
        throw cannotCreate(path);
    file.keep();
}

void CreateScratchFile(const QString& path, QByteArrayView bytes)
{
    const QByteArray name = QFile::encodeName(path);
    if (::unlink(name.constData()) != 0 && errno != ENOENT)
        throw cannotCreate(path);
    OpenedFile file(
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600), {});
    if (file.fd() < 0)
        throw cannotCreate(path);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(file.fd(), bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw cannotCreate(path);
        done += n;
    }
    if (!file.close())
        throw cannotCreate(path);
}

#else

void WriteFileAtomically(const QString& path, const FileBody& body, InPlace inPlace)
{
    const QFileInfo info(path);
    if (info.isSymLink() || (info.exists() && (!info.isFile() || !info.isWritable())))
        throw cannotCreate(path);
    QSaveFile file(path);
    file.setDirectWriteFallback(inPlace == InPlace::Allowed);
    if (!file.open(QIODevice::WriteOnly) || !body(file) || !file.commit())
        throw cannotCreate(path);
}

void CreateScratchFile(const QString& path, QByteArrayView bytes)
{
    const QFileInfo info(path);
    if ((info.exists() || info.isSymLink()) && !QFile::remove(path))
        throw cannotCreate(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush())
        throw cannotCreate(path);
}

#endif

void WriteFileAtomically(const QString& path, QByteArrayView bytes, InPlace inPlace)
{
    WriteFileAtomically(
        path,
        [&](QIODevice& file) { return file.write(bytes.data(), bytes.size()) == bytes.size(); },
        inPlace);
}

} // namespace vexil
