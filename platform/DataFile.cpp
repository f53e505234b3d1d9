#include "DataFile.h"

#include "DiskSync.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

FileError::FileError(Cause cause, QString path) : m_cause(cause), m_path(std::move(path)) {}

FileError FileError::fromErrno(int errorNumber, Access access, QString path)
{
    const bool writing = access == Access::Write;
    switch (errorNumber) {
    case EACCES:
    case EPERM:
    case EROFS:
        return {writing ? Cause::WriteNotPermitted : Cause::ReadNotPermitted, std::move(path)};
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return {Cause::DiskFull, std::move(path)};
    case ENOENT:
    case ENOTDIR:
        return {Cause::FolderMissing, std::move(path)};
    default:
        return {writing ? Cause::WriteFailed : Cause::ReadFailed, std::move(path)};
    }
}

QString FileError::message() const
{
    switch (m_cause) {
    case Cause::WriteNotPermitted:
        return QStringLiteral("書き込みが許可されていません。");
    case Cause::ReadNotPermitted:
        return QStringLiteral("読み込みが許可されていません。");
    case Cause::DiskFull:
        return QStringLiteral("ディスクに空きがありません。");
    case Cause::FolderMissing:
        return QStringLiteral("フォルダが見つかりません。");
    case Cause::Changed:
        return QStringLiteral("ファイルが読み込んだ後に変わっています。");
    case Cause::InvalidDate:
        return QStringLiteral("日付が正しくありません。");
    case Cause::PutBackFailed:
        return QStringLiteral(
            "一緒に書き換えるファイルを保存できず、このファイルを元に戻せませんでした。");
    case Cause::ReadFailed:
        return QStringLiteral("ファイルを読み込めませんでした。");
    case Cause::WriteFailed:
        break;
    }
    return QStringLiteral("ファイルに書き込めませんでした。");
}

namespace DataFile {

namespace {

// A link may name another link; past this many the chain is taken as a loop.
constexpr int linkDepth = 32;

std::filesystem::path nativePath(const QString &path)
{
    return std::filesystem::path(path.toStdU16String());
}

// The file a path stands for: a link is followed to the file it names, existing or not.
QString resolved(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < linkDepth && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}

// errno first, as it says most, then Qt's own account of the last failed call.
FileError lastError(const QFileDevice &file, FileError::Access access, const QString &path)
{
    if (const int number = errno; number != 0)
        return FileError::fromErrno(number, access, path);
    if (file.error() == QFileDevice::PermissionsError)
        return FileError::fromErrno(EACCES, access, path);
    return FileError::fromErrno(0, access, path);
}

// A file that exists must be writable where it is, by its own permission bits and by the
// system, before it is touched at all.
std::optional<FileError> refuseUnwritable(const QString &target, const QString &path)
{
    const QFileInfo info(target);
    if (!info.exists())
        return std::nullopt;
    if (!info.isFile())
        return FileError(FileError::Cause::WriteFailed, path);
    // The owner's write bit is asked as well: the system lets an administrator write anyway.
    if (!(info.permissions() & QFileDevice::WriteOwner))
        return FileError(FileError::Cause::WriteNotPermitted, path);
    QFile probe(target);
    errno = 0;
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append))
        return lastError(probe, FileError::Access::Write, path);
    return std::nullopt;
}

// One file on its way to being replaced.
struct Step
{
    QString path;   // as the caller named it
    QString target; // the file that is replaced, past any link
    QString scratch;
    bool existed = false;
    QFileDevice::Permissions permissions;
    QByteArray oldBytes; // kept only where a later file's failure may need them back
    bool renamed = false;
};

QString scratchFor(const QString &target, const QString &scratchName)
{
    const QFileInfo info(target);
    const QString name =
        scratchName.isEmpty() ? info.completeBaseName() + QStringLiteral(".tmp") : scratchName;
    return info.absoluteDir().filePath(name);
}

// The bytes go to `step.scratch`, complete on the disk, with the permissions of the file they
// replace.
std::optional<FileError> writeScratch(const Step &step, const QByteArray &bytes)
{
    QFile file(step.scratch);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return lastError(file, FileError::Access::Write, step.path);
    if (step.existed)
        file.setPermissions(step.permissions);
    errno = 0;
    if (file.write(bytes) != bytes.size() || !syncToDisk(file)) {
        const FileError error = lastError(file, FileError::Access::Write, step.path);
        file.close();
        QFile::remove(step.scratch);
        return error;
    }
    file.close();
    return std::nullopt;
}

std::optional<FileError> renameScratch(const Step &step)
{
    // QFile::rename refuses an existing target; this replaces it in one step.
    std::error_code error;
    std::filesystem::rename(nativePath(step.scratch), nativePath(step.target), error);
    if (!error)
        return std::nullopt;
    QFile::remove(step.scratch);
    return FileError::fromErrno(error.value(), FileError::Access::Write, step.path);
}

bool putBack(const Step &step)
{
    if (!step.existed)
        return QFile::remove(step.target);
    return !writeScratch(step, step.oldBytes) && !renameScratch(step);
}

} // namespace

Contents read(const QString &path)
{
    Contents contents;
    const QFileInfo info(path);
    if (!info.exists())
        return contents;
    contents.exists = true;
    if (info.isDir()) {
        contents.error = FileError(FileError::Cause::ReadFailed, path);
        return contents;
    }
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        contents.error = lastError(file, FileError::Access::Read, path);
        return contents;
    }
    errno = 0;
    contents.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        contents.error = lastError(file, FileError::Access::Read, path);
        contents.bytes.clear();
    }
    return contents;
}

std::optional<FileError> replace(const QString &path, const QByteArray &bytes,
                                 const QString &scratchName)
{
    return replaceAll({{path, bytes, scratchName}});
}

std::optional<FileError> replaceAll(const std::vector<Replacement> &files)
{
    std::vector<Step> steps;
    steps.reserve(files.size());
    for (const Replacement &file : files) {
        Step step;
        step.path = file.path;
        step.target = resolved(file.path);
        step.scratch = scratchFor(step.target, file.scratchName);
        if (std::optional<FileError> refused = refuseUnwritable(step.target, step.path))
            return refused;
        const QFileInfo info(step.target);
        step.existed = info.exists();
        step.permissions = info.permissions();
        steps.push_back(std::move(step));
    }
    // The last file is never put back, so its old content is not needed.
    for (size_t i = 0; i + 1 < steps.size(); ++i) {
        if (!steps[i].existed)
            continue;
        Contents old = read(steps[i].target);
        if (old.error)
            return FileError(old.error->cause(), steps[i].path);
        steps[i].oldBytes = std::move(old.bytes);
    }

    for (size_t i = 0; i < steps.size(); ++i) {
        if (std::optional<FileError> error = writeScratch(steps[i], files[i].bytes)) {
            for (size_t j = 0; j < i; ++j)
                QFile::remove(steps[j].scratch);
            return error;
        }
    }
    for (size_t i = 0; i < steps.size(); ++i) {
        std::optional<FileError> error = renameScratch(steps[i]);
        if (!error) {
            steps[i].renamed = true;
            continue;
        }
        for (size_t j = i + 1; j < steps.size(); ++j)
            QFile::remove(steps[j].scratch);
        // The files must not disagree: those already replaced get their old content back.
        for (size_t j = i; j-- > 0;) {
            if (!putBack(steps[j]))
                error = FileError(FileError::Cause::PutBackFailed, steps[j].path);
        }
        return error;
    }
    return std::nullopt;
}

std::optional<FileError> append(const QString &path, const QByteArray &bytes)
{
    if (std::optional<FileError> refused = refuseUnwritable(resolved(path), path))
        return refused;
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return lastError(file, FileError::Access::Write, path);
    const qint64 oldSize = file.size();
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const FileError error = lastError(file, FileError::Access::Write, path);
        file.resize(oldSize);
        return error;
    }
    return std::nullopt;
}

namespace {

template <typename View> QList<View> linesOf(View text)
{
    QList<View> lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.sliced(start));
    return lines;
}

} // namespace

QList<QByteArrayView> splitLines(QByteArrayView text)
{
    return linesOf(text);
}

QList<QStringView> splitLines(QStringView text)
{
    return linesOf(text);
}

} // namespace DataFile
