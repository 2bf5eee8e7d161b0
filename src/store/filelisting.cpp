#include "filelisting.h"

#include "datafolder.h"

#include <algorithm>

QString foldLetterCase(const QString& name)
{
    // Most names hold no capital ASCII letter and are shared, not copied.
    const auto capital = std::find_if(name.cbegin(), name.cend(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
    if (capital == name.cend())
        return name;
    QString folded = name;
    for (QChar& c : folded)
        c = QChar(foldLetterCase(c.unicode()));
    return folded;
}

FileListing::FileListing(const DataFolder& folder, QString pattern)
    : m_folder(folder)
    , m_pattern(std::move(pattern))
{
}

bool FileListing::matches(QStringView pattern, QStringView name)
{
    // Iterative wildcard match with one backtracking point for the last '*'.
    qsizetype p = 0, n = 0, star = -1, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size()
                   && (pattern[p] == u'?' || foldLetterCase(pattern[p].unicode()) == foldLetterCase(name[n].unicode()))) {
            ++p;
            ++n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

void FileListing::refresh()
{
    take();
}

void FileListing::take() const
{
    m_names = m_folder.listing().matchingAsListed(m_pattern);
    m_set = QSet<QString>(m_names.begin(), m_names.end());
    m_taken = true;
    m_sorted = false;
}

const QStringList& FileListing::names() const
{
    if (!m_taken)
        take();
    if (!m_sorted) {
        std::sort(m_names.begin(), m_names.end());
        m_sorted = true;
    }
    return m_names;
}

bool FileListing::contains(const QString& name) const
{
    if (!m_taken)
        take();
    return m_set.contains(name);
}
