#include "shell/recent_files.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace rova {

QString absolutePath(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

bool samePath(const QString& a, const QString& b) {
    return absolutePath(a).compare(absolutePath(b), Qt::CaseInsensitive) == 0;
}

QString abbreviatePath(const QString& path, int maxChars) {
    if (path.size() <= maxChars) return path;
    const qsizetype lastSep = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    const QString fileName = path.mid(lastSep + 1);
    if (maxChars < fileName.size()) return fileName;
    // The volume: a drive letter such as "C:", else nothing before the root.
    const int volume = (path.size() >= 2 && path[1] == ':') ? 2 : 0;
    if (maxChars < volume + 5 + fileName.size()) return fileName;
    // Drop leading folders until volume + "/..." + the rest fits.
    qsizetype cur = volume;
    while (volume + 4 + (path.size() - cur) > maxChars) {
        do {
            ++cur;
        } while (cur < path.size() && path[cur] != '/' && path[cur] != '\\');
    }
    const QChar sep = path.indexOf('\\') >= 0 && path.indexOf('/') < 0 ? QChar('\\') : QChar('/');
    return path.left(volume) + sep + "..." + path.mid(cur);
}

void CRecentFileList::load(QSettings& settings) {
    m_paths.clear();
    settings.beginGroup("Recent File List");
    for (int i = 1; i <= kMaxEntries; ++i) {
        const QString p = settings.value(QString("File%1").arg(i)).toString();
        if (!p.isEmpty()) m_paths << p;
    }
    settings.endGroup();
}

void CRecentFileList::save(QSettings& settings) const {
    settings.beginGroup("Recent File List");
    settings.remove("");  // entries that left the list must not come back
    for (int i = 0; i < size(); ++i) settings.setValue(QString("File%1").arg(i + 1), m_paths[i]);
    settings.endGroup();
    settings.sync();
}

void CRecentFileList::add(const QString& path) {
    for (qsizetype i = 0; i < m_paths.size(); ++i) {
        if (samePath(m_paths[i], path)) {
            m_paths.removeAt(i);
            break;
        }
    }
    m_paths.prepend(path);
    while (m_paths.size() > kMaxEntries) m_paths.removeLast();
}

void CRecentFileList::remove(int index) {
    if (index >= 0 && index < size()) m_paths.removeAt(index);
}

QString CRecentFileList::menuText(int index) const {
    const int number = index + 1;
    const QString prefix = number == 10 ? QString("1&0 ") : QString("&%1 ").arg(number);
    QString name = abbreviatePath(QDir::toNativeSeparators(m_paths[index]), kMaxDisplayLength);
    name.replace("&", "&&");
    return prefix + name;
}

}  // namespace rova
