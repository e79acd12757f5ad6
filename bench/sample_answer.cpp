#include "sample_answer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const char *const kWords[] = {
    "Login:", "alice", "Name:", "Alice", "Marsh", "Directory:", "/home/alice",
    "Shell:", "/bin/bash", "On", "since", "Mon", "Dec", "7", "07:35", "(UTC)",
    "on", "pts/3", "from", "10.1.4.22", "idle", "2", "minutes", "12", "seconds",
    "Mail", "last", "read", "Sat", "No", "Plan.", "Project:", "nightly",
    "maintenance", "window", "tonight", "Domain", "Name:", "EXAMPLE.ORG",
    "Registrar:", "Updated", "Date:", "2024-12-07T07:35:00Z", "Status:",
    "clientTransferProhibited", "Name", "Server:", "NS1.EXAMPLE.NET", "DNSSEC:",
    "unsigned", "the", "and", "of", "to", "in", "for", "is", "with", "tty1",
    "Office:", "B-214,", "x4417", "Never", "logged", "in."};
const size_t kWordCount = sizeof kWords / sizeof kWords[0];

// The same numbers from the same seed on every machine.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    uint32_t operator()()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }

private:
    uint32_t state_;
};

// The contacts of a registry's records, by where they live: what they are
// called, their streets and cities, written as they write them.
struct Locale {
    const char *names[4];
    const char *organisations[4];
    const char *streets[4];
    const char *cities[4];
    const char *postalCode;
    const char *country;
    const char *phone;
    const char *label;   // of the record's domain
    const char *suffix;
    const char *remark;
};

const Locale kLocales[] = {
    {{"Şükrü Yılmaz", "Ayşe Öztürk", "Çağrı Doğan", "İpek Güneş"},
     {"Yılmaz Yazılım Ticaret A.Ş.", "Öztürk Gıda Sanayi Ltd. Şti.", "Doğan İnşaat A.Ş.",
      "Güneş Enerji Çözümleri"},
     {"Atatürk Bulvarı No: 12", "Büyükdere Caddesi No: 185, Şişli",
      "İstiklal Caddesi No: 44, Beyoğlu", "Gazi Mustafa Kemal Bulvarı No: 7"},
     {"İstanbul", "Ankara", "İzmir", "Eskişehir"},
     "34394", "TR", "+90.2125550147", "ornek", "com.tr",
     "Alan adı 2019 yılından beri kayıtlıdır; yenileme otomatiktir."},
    {{"Дмитрий Ковалёв", "Анна Смирнова", "Сергей Иванов", "Елена Кузнецова"},
     {"ООО «Пример»", "АО «Северный ветер»", "ООО «Лесная поляна»", "ИП Кузнецова Е. А."},
     {"ул. Тверская, д. 7, кв. 12", "Невский проспект, д. 28", "ул. Ленина, д. 3",
      "пр. Мира, д. 101, стр. 2"},
     {"Москва", "Санкт-Петербург", "Новосибирск", "Екатеринбург"},
     "125009", "RU", "+7.4955550147", "primer", "ru",
     "Домен зарегистрирован в 2019 году, продление автоматическое."},
    {{"김민준", "이서연", "박지훈", "최수아"},
     {"주식회사 예시", "한빛소프트 주식회사", "서울데이터 유한회사", "바다물산"},
     {"테헤란로 152, 강남구", "세종대로 110, 중구", "해운대로 264, 해운대구",
      "올림픽로 300, 송파구"},
     {"서울특별시", "부산광역시", "인천광역시", "대전광역시"},
     "06236", "KR", "+82.25550147", "yesi", "co.kr",
     "이 도메인은 2019년부터 등록되어 있으며 자동으로 갱신됩니다."},
    {{"Jürgen Weiß", "Käthe Müller", "Björn Schäfer", "Grete Köhler"},
     {"Müller & Söhne GmbH", "Bäckerei Schäfer e. K.", "Köhler Gerätebau AG",
      "Weiß Straßenbau GmbH"},
     {"Königstraße 5", "Hauptstraße 12a", "Am Grünen Weg 3", "Schloßallee 17"},
     {"München", "Köln", "Düsseldorf", "Nürnberg"},
     "80331", "DE", "+49.895550147", "beispiel", "de",
     "Gebühr: 12,50 € jährlich, Verlängerung automatisch."},
};
const size_t kLocaleCount = sizeof kLocales / sizeof kLocales[0];
const size_t kGerman = 3;

// The bytes an older server sends for German text: Windows-1252, which is
// Latin-1 with the euro sign at 0x80. Every character of the German locale
// is one of those.
std::string ToWindows1252(const std::string &utf8)
{
    std::string bytes;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            bytes += static_cast<char>(((c & 0x03) << 6) | (utf8[++i] & 0x3F));
        } else if (utf8.compare(i, 3, "\xE2\x82\xAC") == 0) {
            bytes += '\x80';
            i += 2;
        } else {
            bytes += static_cast<char>(c);
        }
    }
    return bytes;
}

} // namespace

std::string MakeAnswer(size_t size, uint32_t seed)
{
    Random next(seed);
    std::string answer;
    answer.reserve(size + 128);
    std::string line;
    while (answer.size() < size) {
        const size_t length = 40 + next() % 31;
        line.clear();
        if (next() % 4 == 0)
            line += '\t';
        while (line.size() < length) {
            line += kWords[next() % kWordCount];
            line += next() % 9 == 0 ? '\t' : ' ';
        }
        line.resize(length);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        line += '\n';
        answer += line;
    }
    answer.resize(size);
    if (size > 0)
        answer.back() = '\n';
    return answer;
}

std::string MakeOneLineAnswer(size_t size, uint32_t seed)
{
    Random next(seed);
    std::string answer;
    answer.reserve(size + 64);
    while (answer.size() < size) {
        answer += kWords[next() % kWordCount];
        answer += ' ';
    }
    answer.resize(size);
    return answer;
}

std::string MakeUnicodeAnswer(size_t size, uint32_t seed)
{
    Random next(seed);
    std::string answer;
    answer.reserve(size + 128);
    // Whole lines while they fit; the last is padded to the size exactly.
    auto add = [&answer, size](const std::string &line) {
        if (answer.size() + line.size() + 1 > size)
            return false;
        answer += line;
        answer += '\n';
        return true;
    };
    static const char *const kRoles[] = {"Registrant", "Admin", "Tech"};
    bool room = true;
    while (room) {
        const Locale &home = kLocales[next() % kLocaleCount];
        const std::string domain =
            std::string(home.label) + "-" + std::to_string(next() % 100000) + "." + home.suffix;
        std::vector<std::string> lines = {
            "Domain Name: " + domain,
            "Registry Domain ID: " + std::to_string(next() % 10000000) + "_DOMAIN-" +
                home.country,
            "Registrar WHOIS Server: whois.example.net",
            "Registrar: Example Registrar, Inc.",
            "Updated Date: 2024-12-07T07:35:00Z",
            "Creation Date: 2019-03-14T10:02:11Z",
            "Registry Expiry Date: 2025-03-14T10:02:11Z",
            "Domain Status: clientTransferProhibited",
        };
        for (const char *role : kRoles) {
            // The other contacts often live elsewhere.
            const Locale &where = next() % 2 == 0 ? home : kLocales[next() % kLocaleCount];
            const bool latin1 = &where == &kLocales[kGerman] && next() % 3 == 0;
            auto text = [latin1](const char *utf8) {
                return latin1 ? ToWindows1252(utf8) : std::string(utf8);
            };
            const std::string r(role);
            lines.push_back(r + " Name: " + text(where.names[next() % 4]));
            lines.push_back(r + " Organization: " + text(where.organisations[next() % 4]));
            lines.push_back(r + " Street: " + text(where.streets[next() % 4]));
            lines.push_back(r + " City: " + text(where.cities[next() % 4]));
            lines.push_back(r + " Postal Code: " + where.postalCode);
            lines.push_back(r + " Country: " + where.country);
            lines.push_back(r + " Phone: " + where.phone);
            lines.push_back(r + " Email: hostmaster@" + domain);
        }
        lines.push_back("Name Server: NS1.EXAMPLE.NET");
        lines.push_back("Name Server: NS2.EXAMPLE.NET");
        lines.push_back("DNSSEC: unsigned");
        const bool latin1 = &home == &kLocales[kGerman] && next() % 3 == 0;
        lines.push_back(std::string("\tRemarks: ") +
                        (latin1 ? ToWindows1252(home.remark) : home.remark));
        lines.emplace_back();
        for (const std::string &line : lines)
            if (!(room = add(line)))
                break;
    }
    if (answer.size() < size) {
        answer.append(size - answer.size() - 1, '%');
        answer += '\n';
    }
    return answer;
}

ServedAnswer ParseServedAnswer(const std::string &text)
{
    ServedAnswer answer;
    answer.unicode = !text.empty() && text[0] == 'u';
    answer.size = ParseSize(answer.unicode ? text.substr(1) : text);
    return answer;
}

std::string MakeServedAnswer(const ServedAnswer &answer)
{
    return answer.unicode ? MakeUnicodeAnswer(answer.size, kWhoisAnswerSeed)
                          : MakeAnswer(answer.size, kWhoisAnswerSeed);
}

std::string SizeName(size_t bytes)
{
    char text[32];
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        std::snprintf(text, sizeof text, "%lu MB", static_cast<unsigned long>(bytes >> 20));
    else if (bytes >= 1024 && bytes % 1024 == 0)
        std::snprintf(text, sizeof text, "%lu KB", static_cast<unsigned long>(bytes >> 10));
    else
        std::snprintf(text, sizeof text, "%lu B", static_cast<unsigned long>(bytes));
    return text;
}

size_t ParseSize(const std::string &text)
{
    char *end = nullptr;
    const unsigned long n = std::strtoul(text.c_str(), &end, 10);
    if (end == text.c_str())
        return 0;
    const std::string unit(end);
    if (unit.empty())
        return n;
    if (unit == "k" || unit == "K")
        return static_cast<size_t>(n) * 1024;
    if (unit == "m" || unit == "M")
        return static_cast<size_t>(n) * 1024 * 1024;
    return 0;
}

std::vector<size_t> ParseSizeList(const std::string &text)
{
    std::vector<size_t> sizes;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t comma = std::min(text.find(',', at), text.size());
        const size_t size = ParseSize(text.substr(at, comma - at));
        if (size == 0)
            return {};
        sizes.push_back(size);
        at = comma + 1;
    }
    return sizes;
}
