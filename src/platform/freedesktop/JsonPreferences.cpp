#include "JsonPreferences.h"

#include "FreedesktopLog.h"
#include "XdgConfigDirs.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <nlohmann/json.hpp>

#include <chrono>
#include <ctime>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>

namespace ondrel::platform::freedesktop {

namespace {

using nlohmann::json;

bool isJsonSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A cursor over JSON text that is already known to be valid; it finds where values end
// without interpreting them, so that values of unknown form can be kept byte for byte.
class RawScanner
{
public:
    explicit RawScanner(std::string_view text) : m_text(text) {}

    void skipSpace()
    {
        while (m_pos < m_text.size() && isJsonSpace(m_text[m_pos])) {
            ++m_pos;
        }
    }
    bool take(char c)
    {
        skipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    // The raw text of the value that starts here.
    std::string_view value()
    {
        skipSpace();
        const std::size_t start = m_pos;
        if (m_pos >= m_text.size()) {
            return {};
        }
        const char first = m_text[m_pos];
        if (first == '"') {
            skipString();
        } else if (first == '{' || first == '[') {
            skipNested();
        } else {
            while (m_pos < m_text.size() && !isJsonSpace(m_text[m_pos]) && m_text[m_pos] != ',' &&
                   m_text[m_pos] != '}' && m_text[m_pos] != ']') {
                ++m_pos;
            }
        }
        return m_text.substr(start, m_pos - start);
    }

private:
    void skipString()
    {
        ++m_pos; // opening quote
        while (m_pos < m_text.size() && m_text[m_pos] != '"') {
            m_pos += m_text[m_pos] == '\\' ? 2 : 1;
        }
        ++m_pos; // closing quote
    }
    void skipNested()
    {
        int depth = 0;
        do {
            const char c = m_text[m_pos];
            if (c == '"') {
                skipString();
                continue;
            }
            if (c == '{' || c == '[') {
                ++depth;
            } else if (c == '}' || c == ']') {
                --depth;
            }
            ++m_pos;
        } while (depth > 0 && m_pos < m_text.size());
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Reads a preferences object; throws when the text is not a JSON object.
std::map<std::string, PreferenceValue> parseObject(const std::string& text)
{
    if (!json::parse(text).is_object()) {
        throw std::runtime_error("the top level is not an object");
    }
    std::map<std::string, PreferenceValue> values;
    RawScanner scanner(text);
    scanner.take('{');
    if (scanner.take('}')) {
        return values;
    }
    do {
        const auto key = json::parse(scanner.value()).get<std::string>();
        scanner.take(':');
        const std::string_view raw = scanner.value();
        switch (raw.front()) {
        case '"':
            values.insert_or_assign(key, json::parse(raw).get<std::string>());
            break;
        case 't':
        case 'f':
            values.insert_or_assign(key, raw.front() == 't');
            break;
        default:
            values.insert_or_assign(key, OtherPreferenceValue{std::string(raw)});
        }
    } while (scanner.take(','));
    return values;
}

std::string quoted(const std::string& text)
{
    // Text that is not valid UTF-8 cannot be written as JSON; damaged bytes become U+FFFD.
    return json(text).dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string serialize(const std::map<std::string, PreferenceValue>& values)
{
    std::string out = "{";
    bool first = true;
    for (const auto& [key, value] : values) {
        out += first ? "\n  " : ",\n  ";
        first = false;
        out += quoted(key);
        out += ": ";
        if (const auto* text = std::get_if<std::string>(&value)) {
            out += quoted(*text);
        } else if (const auto* flag = std::get_if<bool>(&value)) {
            out += *flag ? "true" : "false";
        } else {
            out += std::get<OtherPreferenceValue>(value).json;
        }
    }
    out += first ? "}\n" : "\n}\n";
    return out;
}

QString qPath(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

} // namespace

JsonPreferences::JsonPreferences() : JsonPreferences(defaultPath()) {}

JsonPreferences::JsonPreferences(std::filesystem::path file) : m_path(std::move(file))
{
    load();
}

std::filesystem::path JsonPreferences::defaultPath()
{
    return xdgConfigHome() / "Ondrel" / "preferences.json";
}

std::optional<PreferenceValue> JsonPreferences::value(const std::string& key)
{
    auto found = m_values.find(key);
    if (found == m_values.end()) {
        return std::nullopt;
    }
    return found->second;
}

void JsonPreferences::setValue(const std::string& key, const PreferenceValue& value)
{
    if (const auto* other = std::get_if<OtherPreferenceValue>(&value);
        other && !json::accept(other->json)) {
        // Written as it is, such text would make the whole file unreadable.
        qCWarning(desktopLog).noquote()
            << "preference" << QString::fromStdString(key) << "not stored: its value is not JSON";
        return;
    }
    m_values.insert_or_assign(key, value);
    save();
}

void JsonPreferences::removeValue(const std::string& key)
{
    if (m_values.erase(key) > 0) {
        save();
    }
}

bool JsonPreferences::contains(const std::string& key)
{
    return m_values.contains(key);
}

std::vector<std::string> JsonPreferences::keys()
{
    std::vector<std::string> result;
    result.reserve(m_values.size());
    for (const auto& [key, value] : m_values) {
        result.push_back(key);
    }
    return result;
}

void JsonPreferences::load()
{
    QFile file(qPath(m_path));
    if (!file.exists()) {
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        keepAside("cannot read it: " + file.errorString().toStdString());
        return;
    }
    const QByteArray bytes = file.readAll();
    try {
        m_values = parseObject(bytes.toStdString());
    } catch (const std::exception& error) {
        m_values.clear();
        keepAside(std::string("not a JSON object: ") + error.what());
    }
}

void JsonPreferences::keepAside(const std::string& reason)
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char buffer[32];
    const std::string stamp(buffer, std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%SZ", &utc));
    std::filesystem::path aside = m_path;
    aside += ".corrupt-" + stamp;
    for (int n = 1; std::filesystem::exists(aside); ++n) {
        aside = m_path;
        aside += ".corrupt-" + stamp + "-" + std::to_string(n);
    }
    std::error_code error;
    std::filesystem::rename(m_path, aside, error);
    if (error) {
        m_writable = false;
        qCWarning(desktopLog).noquote()
            << QStringLiteral("preferences %1 ignored (%2); it could not be moved aside (%3), so "
                              "changes will not be saved")
                   .arg(qPath(m_path), QString::fromStdString(reason),
                        QString::fromStdString(error.message()));
        return;
    }
    qCWarning(desktopLog).noquote()
        << QStringLiteral("preferences %1 ignored (%2); kept as %3, starting empty")
               .arg(qPath(m_path), QString::fromStdString(reason), qPath(aside));
}

void JsonPreferences::save()
{
    if (!m_writable) {
        return;
    }
    const std::filesystem::path folder = m_path.parent_path();
    if (!std::filesystem::exists(folder)) {
        if (!QDir().mkpath(qPath(folder))) {
            qCWarning(desktopLog).noquote()
                << "preferences not saved: cannot create" << qPath(folder);
            return;
        }
        ::chmod(folder.c_str(), 0700);
    }
    QSaveFile file(qPath(m_path));
    const std::string text = serialize(m_values);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                         file.write(text.data(), static_cast<qint64>(text.size())) ==
                             static_cast<qint64>(text.size()) &&
                         file.commit();
    if (!written) {
        qCWarning(desktopLog).noquote()
            << "preferences not saved to" << qPath(m_path) << ":" << file.errorString();
    }
}

} // namespace ondrel::platform::freedesktop
