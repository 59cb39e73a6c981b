#include "UnicodeText.h"

#include <QList>
#include <QString>
#include <QTextBoundaryFinder>

namespace ondrel::shortcuts {

std::string capitalized(const std::string& text)
{
    const QString source = QString::fromStdString(text);
    QString result;
    result.reserve(source.size());
    bool atWordStart = true;
    for (const uint value : source.toUcs4()) {
        const auto codePoint = static_cast<char32_t>(value);
        if (QChar::isSpace(codePoint)) {
            atWordStart = true;
            result += QString::fromUcs4(&codePoint, 1);
            continue;
        }
        const QString character = QString::fromUcs4(&codePoint, 1);
        if (atWordStart) {
            const char32_t title = QChar::toTitleCase(codePoint);
            result += QString::fromUcs4(&title, 1);
            atWordStart = false;
        } else {
            result += character.toLower();
        }
    }
    return result.toStdString();
}

std::string lowercased(const std::string& text)
{
    return QString::fromStdString(text).toLower().toStdString();
}

std::size_t graphemeCount(const std::string& text)
{
    const QString source = QString::fromStdString(text);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, source);
    std::size_t count = 0;
    while (finder.toNextBoundary() != -1) {
        ++count;
    }
    return count;
}

} // namespace ondrel::shortcuts
