#include "LocalizedText.h"

#include <unicode/brkiter.h>
#include <unicode/coll.h>
#include <unicode/stsearch.h>
#include <unicode/unistr.h>

#include <QLocale>

#include <memory>

namespace ondrel::ui {

namespace {

// A read-only ICU view of the UTF-16 Qt already holds; no copy.
icu::UnicodeString aliasOf(QStringView text)
{
    return icu::UnicodeString(false, reinterpret_cast<const UChar*>(text.utf16()),
                              static_cast<int32_t>(text.size()));
}

// The user's locale as Qt reads it from the environment. The C locale has no order of its own
// for people (ICU's POSIX order puts every capital before every small letter), so it gets the
// root order.
icu::Locale userLocale()
{
    const QLocale locale;
    if (locale.language() == QLocale::C)
        return icu::Locale::getRoot();
    return icu::Locale(locale.name().toLatin1().constData());
}

// Secondary strength: letters and accents count, letter case does not.
icu::Collator* caseInsensitiveCollator()
{
    thread_local std::unique_ptr<icu::Collator> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> made(icu::Collator::createInstance(userLocale(), status));
        if (U_FAILURE(status))
            return std::unique_ptr<icu::Collator>();
        made->setStrength(icu::Collator::SECONDARY);
        return made;
    }();
    return collator.get();
}

} // namespace

int localizedCaseInsensitiveCompare(QStringView a, QStringView b)
{
    if (auto* collator = caseInsensitiveCollator()) {
        UErrorCode status = U_ZERO_ERROR;
        const auto result = collator->compare(aliasOf(a), aliasOf(b), status);
        if (U_SUCCESS(status))
            return result;
    }
    return a.compare(b, Qt::CaseInsensitive);
}

bool localizedCaseInsensitiveContains(QStringView text, QStringView part)
{
    if (part.isEmpty() || text.isEmpty())
        return false;
    auto* collator = caseInsensitiveCollator();
    if (!collator)
        return text.contains(part, Qt::CaseInsensitive);
    const icu::UnicodeString pattern = aliasOf(part);
    const icu::UnicodeString target = aliasOf(text);
    UErrorCode status = U_ZERO_ERROR;
    auto* rules = dynamic_cast<icu::RuleBasedCollator*>(collator);
    if (!rules)
        return text.contains(part, Qt::CaseInsensitive);
    icu::StringSearch search(pattern, target, rules, nullptr, status);
    if (U_FAILURE(status))
        return text.contains(part, Qt::CaseInsensitive);
    return search.first(status) != USEARCH_DONE && U_SUCCESS(status);
}

std::size_t characterCount(QStringView text)
{
    if (text.isEmpty())
        return 0;
    thread_local std::unique_ptr<icu::BreakIterator> characters = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(
            icu::BreakIterator::createCharacterInstance(userLocale(), status));
        return U_SUCCESS(status) ? std::move(made) : std::unique_ptr<icu::BreakIterator>();
    }();
    if (!characters)
        return static_cast<std::size_t>(text.size());
    const icu::UnicodeString alias = aliasOf(text);
    characters->setText(alias);
    std::size_t count = 0;
    for (auto boundary = characters->next(); boundary != icu::BreakIterator::DONE;
         boundary = characters->next())
        ++count;
    return count;
}

} // namespace ondrel::ui
