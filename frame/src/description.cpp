#include "frame/description.h"

#include <charconv>
#include <stdexcept>

#include "kinds.h"

namespace frame {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

[[noreturn]] void Fail(int line, const std::string& what) {
    throw std::invalid_argument("form description line " + std::to_string(line) + ": " + what);
}

// Splits on `separator` outside double-quoted texts.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view s, char separator) {
    std::vector<std::string_view> parts;
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && quoted) {
            ++i;
        } else if (s[i] == '"') {
            quoted = !quoted;
        } else if (s[i] == separator && !quoted) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(s.substr(start));
    return parts;
}

std::string Unquote(std::string_view s, int line) {
    s = Trim(s);
    if (s.size() < 2 || s.front() != '"' || s.back() != '"') Fail(line, "text must be in double quotes");
    std::string out;
    for (size_t i = 1; i + 1 < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (++i + 1 > s.size() - 1) Fail(line, "dangling escape");
        switch (s[i]) {
            case 'r': out += '\r'; break;
            case 'n': out += '\n'; break;
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            default: Fail(line, std::string("unknown escape \\") + s[i]);
        }
    }
    return out;
}

int ParseInt(std::string_view s, int line, const char* what) {
    s = Trim(s);
    int value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) Fail(line, std::string("bad ") + what + ": " + std::string(s));
    return value;
}

double ParseNumber(std::string_view s, int line) {
    s = Trim(s);
    double value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) Fail(line, "bad number: " + std::string(s));
    return value;
}

// The words are the kinds' own, from the one table of kinds.
ControlKind ParseKind(std::string_view s, int line) {
    s = Trim(s);
    const ControlKindInfo* info = KindNamed(s);
    if (info == nullptr) Fail(line, "unknown kind: " + std::string(s));
    return info->kind;
}

// "&H00FFFFFF&"
std::uint32_t ParseColour(std::string_view s, int line) {
    s = Trim(s);
    if (s.size() < 4 || !s.starts_with("&H") || s.back() != '&') Fail(line, "bad colour: " + std::string(s));
    s = s.substr(2, s.size() - 3);
    std::uint32_t value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, 16);
    if (ec != std::errc() || end != s.data() + s.size()) Fail(line, "bad colour: " + std::string(s));
    return value;
}

// font "ＭＳ ゴシック" 9 pt, character set 128
FontSetting ParseFont(std::string_view s, int line) {
    const size_t open = s.find('"');
    const size_t close = s.rfind('"');
    if (open == std::string_view::npos || close <= open) Fail(line, "font needs a quoted name");
    FontSetting font;
    font.name = Unquote(s.substr(open, close - open + 1), line);
    std::string_view rest = Trim(s.substr(close + 1));
    const size_t pt = rest.find("pt");
    if (pt == std::string_view::npos) Fail(line, "font needs a size in pt");
    font.points = ParseNumber(rest.substr(0, pt), line);
    rest = Trim(rest.substr(pt + 2));
    if (rest.starts_with(",")) rest = Trim(rest.substr(1));
    if (!rest.empty()) {
        constexpr std::string_view prefix = "character set";
        if (!rest.starts_with(prefix)) Fail(line, "unknown font detail: " + std::string(rest));
        font.characterSet = ParseInt(rest.substr(prefix.size()), line, "character set");
    }
    return font;
}

void ApplySetting(Settings& settings, std::string_view word, int line) {
    word = Trim(word);
    if (word.empty()) return;
    if (word == "scale in pixels") settings.scalePixels = true;
    else if (word == "persistent drawing") settings.persistentDrawing = true;
    else if (word == "sized to its picture") settings.autoSize = true;
    else if (word == "no border") settings.border = BorderSetting::None;
    else if (word == "fixed single border") settings.border = BorderSetting::FixedSingle;
    else if (word == "no maximise or minimise button") settings.noMaxMinButtons = true;
    else if (word == "starts at the Windows default place") settings.start = StartPosition::WindowsDefault;
    else if (word == "starts centred on the screen") settings.start = StartPosition::CenterScreen;
    else if (word == "disabled at start") settings.disabledAtStart = true;
    else if (word == "multi-line") settings.multiLine = true;
    else if (word == "vertical scroll bar") settings.verticalScrollBar = true;
    else if (word == "text centred") settings.textCentered = true;
    else if (word.starts_with("background")) settings.background = ParseColour(word.substr(10), line);
    else if (word.starts_with("font")) settings.font = ParseFont(word.substr(4), line);
    else if (word.starts_with("picture")) settings.picture = std::string(Trim(word.substr(7)));
    else Fail(line, "unknown setting: " + std::string(word));
}

}  // namespace

std::string ControlDescription::FullName() const { return index ? name + "(" + std::to_string(*index) + ")" : name; }

FormDescription ParseFormDescription(std::string_view text) {
    FormDescription description;
    bool haveForm = false;
    int lineNumber = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view raw = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        ++lineNumber;
        if (raw.empty() || raw.front() == '#') continue;

        const auto columns = SplitOutsideQuotes(raw, '|');
        if (columns.size() != 7) Fail(lineNumber, "expected 7 columns, found " + std::to_string(columns.size()));

        ControlDescription control;
        std::string_view name = Trim(columns[0]);
        if (const size_t paren = name.find('('); paren != std::string_view::npos) {
            if (name.back() != ')') Fail(lineNumber, "bad control array index");
            control.index = ParseInt(name.substr(paren + 1, name.size() - paren - 2), lineNumber, "index");
            name = name.substr(0, paren);
        }
        if (name.empty()) Fail(lineNumber, "control without a name");
        control.name = std::string(name);
        control.kind = ParseKind(columns[1], lineNumber);

        if (const auto place = Trim(columns[2]); place != "-") {
            const size_t comma = place.find(',');
            if (comma == std::string_view::npos) Fail(lineNumber, "place must be left,top");
            control.left = ParseInt(place.substr(0, comma), lineNumber, "left");
            control.top = ParseInt(place.substr(comma + 1), lineNumber, "top");
            const auto size = Trim(columns[3]);
            const size_t x = size.find('x');
            if (x == std::string_view::npos) Fail(lineNumber, "size must be width x height");
            control.width = ParseInt(size.substr(0, x), lineNumber, "width");
            control.height = ParseInt(size.substr(x + 1), lineNumber, "height");
            control.hasPlace = true;
        }
        if (const auto caption = Trim(columns[4]); caption != "-") control.caption = Unquote(caption, lineNumber);
        if (const auto settings = Trim(columns[5]); settings != "-") {
            for (const auto word : SplitOutsideQuotes(settings, ';')) ApplySetting(control.settings, word, lineNumber);
        }
        if (const auto events = Trim(columns[6]); events != "-") {
            for (const auto binding : SplitOutsideQuotes(events, ';')) {
                const size_t arrow = binding.find("->");
                if (arrow == std::string_view::npos) Fail(lineNumber, "event must read Event -> Handler");
                control.events.push_back(
                    {std::string(Trim(binding.substr(0, arrow))), std::string(Trim(binding.substr(arrow + 2)))});
            }
        }

        if (control.kind == ControlKind::Form) {
            if (haveForm) Fail(lineNumber, "a second form");
            if (!description.controls.empty()) Fail(lineNumber, "the form must come first");
            description.form = std::move(control);
            haveForm = true;
        } else {
            if (!haveForm) Fail(lineNumber, "the form must come first");
            for (const auto& other : description.controls) {
                if (other.FullName() == control.FullName()) Fail(lineNumber, "duplicate control " + control.FullName());
            }
            description.controls.push_back(std::move(control));
        }
    }
    if (!haveForm) throw std::invalid_argument("form description has no form");
    return description;
}

}  // namespace frame
