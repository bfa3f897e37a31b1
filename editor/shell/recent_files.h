// The recently used file list of the File menu, kept in the settings under
// "Recent File List" as File1 .. File10, newest first.
#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace rova {

// Two paths name the same file when their absolute, cleaned forms are equal
// without regard to case (the names of a performance were made on a system
// that ignores case).
bool samePath(const QString& a, const QString& b);
QString absolutePath(const QString& path);

// A path shortened to at most maxChars characters for a menu: the drive (if
// any), then "/...", then as many trailing folders as fit, then the file name;
// the file name alone when not even "/.../" fits beside it.
QString abbreviatePath(const QString& path, int maxChars);

class CRecentFileList {
public:
    static constexpr int kMaxEntries = 10;
    static constexpr int kMaxDisplayLength = 30;

    void load(QSettings& settings);
    void save(QSettings& settings) const;

    // Puts path at the top; an entry naming the same file moves up instead of repeating.
    void add(const QString& path);
    void remove(int index);

    int size() const { return static_cast<int>(m_paths.size()); }
    const QString& at(int index) const { return m_paths[index]; }
    const QStringList& paths() const { return m_paths; }
    // The menu text of an entry: "&1 " .. "&9 ", "1&0 ", then the shortened path.
    QString menuText(int index) const;

private:
    QStringList m_paths;
};

}  // namespace rova
