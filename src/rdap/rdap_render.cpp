#include "rdap/rdap_render.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>
#include <vector>

#include "rdap/rdap_bootstrap.h"

using nlohmann::json;

namespace {

// Entities inside entities deeper than this are left to the laid-out JSON.
const int MaxEntityDepth = 8;
// Real answers nest below a dozen levels, which a reader follows by their
// indent; past 16 levels an indent says nothing more, while nesting costs a
// server two bytes a level and each level would cost the pane two spaces on
// every line below it. Deeper members keep the 16th level's indent.
const size_t MaxIndentLevels = 16;
// The parser's explanation of a body that is not JSON quotes what it read;
// more than this of it says nothing more.
const size_t MaxParseErrorLength = 300;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(const std::string &a, const char *b)
{
    size_t i = 0;
    for (; b[i] != '\0'; ++i)
        if (i >= a.size() || LowerAscii(a[i]) != b[i])
            return false;
    return i == a.size();
}

bool IsControl(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The text being made, held to RDAP_TEXT_LIMIT as it grows: once a piece
// would pass the limit, nothing more is appended, so no body lays out into
// more than that however it nests or repeats.
class BoundedText {
public:
    explicit BoundedText(std::string &out) : out_(out) {}

    bool Full() const { return full_; }
    bool Empty() const { return out_.empty(); }

    void Append(const char *piece, size_t length)
    {
        if (full_ || length > RDAP_TEXT_LIMIT - out_.size())
            full_ = true;
        else
            out_.append(piece, length);
    }
    void Append(const char *piece) { Append(piece, std::strlen(piece)); }
    void Append(const std::string &piece) { Append(piece.data(), piece.size()); }
    void Append(char c)
    {
        if (full_ || out_.size() >= RDAP_TEXT_LIMIT)
            full_ = true;
        else
            out_ += c;
    }
    void Spaces(size_t count)
    {
        if (full_ || count > RDAP_TEXT_LIMIT - out_.size())
            full_ = true;
        else
            out_.append(count, ' ');
    }

    // Ends a text that reached the limit after its last whole line; one
    // line longer than the limit is cut, not inside a character. True when
    // the text was cut.
    bool End()
    {
        if (!full_)
            return false;
        const size_t end = out_.rfind("\r\n");
        if (end != std::string::npos) {
            out_.resize(end + 2);
            return true;
        }
        size_t cut = std::min(out_.size(), RDAP_TEXT_LIMIT - 2);
        while (cut > 0 && cut < out_.size() && IsContinuation(out_[cut]))
            --cut;
        out_.resize(cut);
        out_ += "\r\n";
        return true;
    }

private:
    std::string &out_;
    bool full_ = false;
};

// Appends a value as one line's worth of text: a control character cannot
// start a new line or end the text early.
void AppendSafe(BoundedText &out, const std::string &value)
{
    size_t run = 0; // the start of the characters kept as they are
    for (size_t i = 0; i < value.size(); ++i)
        if (IsControl(value[i])) {
            out.Append(value.data() + run, i - run);
            out.Append(' ');
            run = i + 1;
        }
    out.Append(value.data() + run, value.size() - run);
}

// Appends text of many lines: each line end (CR LF, LF or CR alone) becomes
// CR LF, any other control character a space.
void AppendLines(BoundedText &out, const char *text, size_t length)
{
    size_t run = 0;
    for (size_t i = 0; i < length && !out.Full(); ++i) {
        const char c = text[i];
        if (!IsControl(c))
            continue;
        out.Append(text + run, i - run);
        if (c == '\r' || c == '\n') {
            out.Append("\r\n", 2);
            if (c == '\r' && i + 1 < length && text[i + 1] == '\n')
                ++i;
        } else {
            out.Append(' ');
        }
        run = i + 1;
    }
    if (run < length)
        out.Append(text + run, length - run);
}

// Members read without the checks' exceptions: nullptr when the value is
// not an object, the member is missing or it has another type.
const json *Member(const json &object, const char *key)
{
    if (!object.is_object())
        return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

const std::string *StringMember(const json &object, const char *key)
{
    const json *value = Member(object, key);
    return value != nullptr && value->is_string() ? &value->get_ref<const std::string &>() : nullptr;
}

const json *ArrayMember(const json &object, const char *key)
{
    const json *value = Member(object, key);
    return value != nullptr && value->is_array() ? value : nullptr;
}

// A whole number as decimal text, "" for anything else.
std::string IntegerText(const json *value)
{
    return value != nullptr && value->is_number_integer() ? value->dump() : "";
}

std::string IntegerMember(const json &object, const char *key) { return IntegerText(Member(object, key)); }

// The strings of an array (others passed over), joined.
std::string JoinStrings(const json *array, const char *separator)
{
    std::string joined;
    if (array == nullptr || !array->is_array())
        return joined;
    for (const json &item : *array) {
        if (!item.is_string() || item.get_ref<const std::string &>().empty())
            continue;
        if (!joined.empty())
            joined += separator;
        joined += item.get_ref<const std::string &>();
    }
    return joined;
}

class Writer {
public:
    explicit Writer(BoundedText &out) : out_(out) {}

    // "Label: value" at `indent` levels of two spaces; nothing for an empty value.
    void Field(int indent, const std::string &label, const std::string &value)
    {
        if (value.empty())
            return;
        Heading(indent, label, value);
    }
    void Field(int indent, const std::string &label, const std::string *value)
    {
        if (value != nullptr)
            Field(indent, label, *value);
    }
    // "Label: value", or "Label:" alone when the value is empty.
    void Heading(int indent, const std::string &label, const std::string &value)
    {
        out_.Spaces(static_cast<size_t>(indent) * 2);
        AppendSafe(out_, label);
        out_.Append(':');
        if (!value.empty()) {
            out_.Append(' ');
            AppendSafe(out_, value);
        }
        out_.Append("\r\n", 2);
    }
    // A line of free text, such as a notice's description.
    void Text(int indent, const std::string &text)
    {
        out_.Spaces(static_cast<size_t>(indent) * 2);
        AppendSafe(out_, text);
        out_.Append("\r\n", 2);
    }

private:
    BoundedText &out_;
};

void RenderDescription(Writer &w, int indent, const json &object)
{
    const json *lines = ArrayMember(object, "description");
    if (lines == nullptr)
        return;
    for (const json &line : *lines)
        if (line.is_string())
            w.Text(indent, line.get_ref<const std::string &>());
}

void RenderError(Writer &w, const json &root)
{
    const std::string code = IntegerMember(root, "errorCode");
    const std::string *title = StringMember(root, "title");
    if (code.empty() && title == nullptr)
        return;
    w.Heading(0, code.empty() ? "Error" : "Error " + code, title != nullptr ? *title : "");
    RenderDescription(w, 1, root);
}

void RenderEvents(Writer &w, int indent, const json &object)
{
    const json *events = ArrayMember(object, "events");
    if (events == nullptr)
        return;
    for (const json &event : *events) {
        const std::string *action = StringMember(event, "eventAction");
        const std::string *date = StringMember(event, "eventDate");
        if (action == nullptr || action->empty() || date == nullptr)
            continue;
        // The actions are lower-case words ("last changed"); their first
        // letter made capital they read as labels ("Last changed").
        std::string label = *action;
        if (label[0] >= 'a' && label[0] <= 'z')
            label[0] = static_cast<char>(label[0] - 'a' + 'A');
        w.Field(indent, label, *date);
    }
}

// An address: the label the server wrote, its lines joined, or else the
// structured parts (post office box, extended, street, locality, region,
// code, country), each a string or a list of strings.
std::string VcardAddress(const json &params, const json &value)
{
    std::string joined;
    auto add = [&joined](const std::string &part) {
        size_t start = 0;
        while (start <= part.size()) {
            size_t end = part.find_first_of("\r\n", start);
            if (end == std::string::npos)
                end = part.size();
            size_t b = start, e = end;
            while (b < e && (part[b] == ' ' || part[b] == '\t'))
                ++b;
            while (e > b && (part[e - 1] == ' ' || part[e - 1] == '\t'))
                --e;
            if (e > b) {
                if (!joined.empty())
                    joined += ", ";
                joined.append(part, b, e - b);
            }
            start = end + 1;
        }
    };
    if (const std::string *label = StringMember(params, "label")) {
        add(*label);
        if (!joined.empty())
            return joined;
    }
    if (value.is_string()) {
        add(value.get_ref<const std::string &>());
    } else if (value.is_array()) {
        for (const json &part : value) {
            if (part.is_string())
                add(part.get_ref<const std::string &>());
            else if (part.is_array())
                add(JoinStrings(&part, ", "));
        }
    }
    return joined;
}

bool IsFax(const json &params)
{
    const json *type = Member(params, "type");
    if (type == nullptr)
        return false;
    if (type->is_string())
        return EqualsNoCase(type->get_ref<const std::string &>(), "fax");
    if (type->is_array())
        for (const json &t : *type)
            if (t.is_string() && EqualsNoCase(t.get_ref<const std::string &>(), "fax"))
                return true;
    return false;
}

// The vCard's name, organisation, addresses, email and phone numbers, in the
// order the card gives them.
void RenderVcard(Writer &w, int indent, const json &object)
{
    const json *card = ArrayMember(object, "vcardArray");
    if (card == nullptr || card->size() < 2 || !(*card)[1].is_array())
        return;
    for (const json &property : (*card)[1]) {
        if (!property.is_array() || property.size() < 4 || !property[0].is_string())
            continue;
        const std::string &name = property[0].get_ref<const std::string &>();
        const json &params = property[1];
        const json &value = property[3];
        const std::string *text = value.is_string() ? &value.get_ref<const std::string &>() : nullptr;
        if (EqualsNoCase(name, "fn")) {
            w.Field(indent, "Name", text);
        } else if (EqualsNoCase(name, "org")) {
            w.Field(indent, "Organisation", text != nullptr ? *text : JoinStrings(&value, ", "));
        } else if (EqualsNoCase(name, "adr")) {
            w.Field(indent, "Address", VcardAddress(params, value));
        } else if (EqualsNoCase(name, "email")) {
            w.Field(indent, "Email", text);
        } else if (EqualsNoCase(name, "tel") && text != nullptr) {
            std::string number = *text;
            if (number.size() > 4 && EqualsNoCase(number.substr(0, 4), "tel:"))
                number.erase(0, 4);
            w.Field(indent, IsFax(params) ? "Fax" : "Phone", number);
        }
    }
}

void RenderEntities(Writer &w, int indent, const json &object)
{
    const json *entities = ArrayMember(object, "entities");
    if (entities == nullptr || indent > MaxEntityDepth)
        return;
    for (const json &entity : *entities) {
        if (!entity.is_object())
            continue;
        const std::string roles = JoinStrings(Member(entity, "roles"), ", ");
        w.Field(indent, "Entity", roles.empty() ? "no role given" : roles);
        w.Field(indent + 1, "Handle", StringMember(entity, "handle"));
        RenderVcard(w, indent + 1, entity);
        if (const json *ids = ArrayMember(entity, "publicIds"))
            for (const json &id : *ids) {
                const std::string *type = StringMember(id, "type");
                if (type != nullptr && !type->empty())
                    w.Field(indent + 1, *type, StringMember(id, "identifier"));
            }
        RenderEntities(w, indent + 1, entity);
    }
}

void RenderNetwork(Writer &w, const json &root)
{
    w.Field(0, "Start address", StringMember(root, "startAddress"));
    w.Field(0, "End address", StringMember(root, "endAddress"));
    w.Field(0, "IP version", StringMember(root, "ipVersion"));
    w.Field(0, "Name", StringMember(root, "name"));
    w.Field(0, "Type", StringMember(root, "type"));
    w.Field(0, "Country", StringMember(root, "country"));
    w.Field(0, "Parent handle", StringMember(root, "parentHandle"));
    if (const json *cidrs = ArrayMember(root, "cidr0_cidrs"))
        for (const json &cidr : *cidrs) {
            const std::string *prefix = StringMember(cidr, "v4prefix");
            if (prefix == nullptr)
                prefix = StringMember(cidr, "v6prefix");
            const std::string length = IntegerMember(cidr, "length");
            if (prefix != nullptr && !length.empty())
                w.Field(0, "CIDR", *prefix + "/" + length);
        }
}

void RenderAutnum(Writer &w, const json &root)
{
    w.Field(0, "Start autnum", IntegerMember(root, "startAutnum"));
    w.Field(0, "End autnum", IntegerMember(root, "endAutnum"));
    w.Field(0, "Name", StringMember(root, "name"));
    w.Field(0, "Type", StringMember(root, "type"));
    w.Field(0, "Country", StringMember(root, "country"));
}

void RenderNameservers(Writer &w, const json &root)
{
    const json *servers = ArrayMember(root, "nameservers");
    if (servers == nullptr)
        return;
    for (const json &server : *servers) {
        const std::string *name = StringMember(server, "ldhName");
        if (name == nullptr)
            name = StringMember(server, "unicodeName");
        if (name == nullptr || name->empty())
            continue;
        std::string line = *name;
        const json *addresses = Member(server, "ipAddresses");
        std::string listed = JoinStrings(addresses != nullptr ? Member(*addresses, "v4") : nullptr, ", ");
        const std::string v6 = JoinStrings(addresses != nullptr ? Member(*addresses, "v6") : nullptr, ", ");
        listed += (!listed.empty() && !v6.empty() ? ", " : "") + v6;
        if (!listed.empty())
            line += " (" + listed + ")";
        w.Field(0, "Name server", line);
    }
}

void RenderDnssec(Writer &w, const json &root)
{
    const json *dns = Member(root, "secureDNS");
    if (dns == nullptr || !dns->is_object())
        return;
    const json *signedFlag = Member(*dns, "delegationSigned");
    if (signedFlag != nullptr && signedFlag->is_boolean())
        w.Field(0, "DNSSEC", signedFlag->get<bool>() ? "signed" : "unsigned");
    const json *records = ArrayMember(*dns, "dsData");
    if (records == nullptr)
        return;
    for (const json &ds : *records) {
        std::string line;
        auto add = [&line](const char *what, const std::string &value) {
            if (value.empty())
                return;
            if (!line.empty())
                line += ", ";
            line += what;
            line += value;
        };
        add("key tag ", IntegerMember(ds, "keyTag"));
        add("algorithm ", IntegerMember(ds, "algorithm"));
        add("digest type ", IntegerMember(ds, "digestType"));
        const std::string *digest = StringMember(ds, "digest");
        add("digest ", digest != nullptr ? *digest : "");
        w.Field(0, "DS record", line);
    }
}

void RenderNotices(Writer &w, const json &root, const char *key, const char *label)
{
    const json *notices = ArrayMember(root, key);
    if (notices == nullptr)
        return;
    for (const json &notice : *notices) {
        if (!notice.is_object())
            continue;
        const std::string *title = StringMember(notice, "title");
        w.Heading(0, label, title != nullptr ? *title : "");
        RenderDescription(w, 1, notice);
    }
}

void RenderObject(Writer &w, const json &root)
{
    RenderError(w, root);
    const std::string *objectClass = StringMember(root, "objectClassName");
    w.Field(0, "Object class", objectClass);
    w.Field(0, "Handle", StringMember(root, "handle"));
    const char *nameLabel = "LDH name";
    if (objectClass != nullptr && *objectClass == "domain")
        nameLabel = "Domain name";
    else if (objectClass != nullptr && *objectClass == "nameserver")
        nameLabel = "Name server";
    w.Field(0, nameLabel, StringMember(root, "ldhName"));
    w.Field(0, "Unicode name", StringMember(root, "unicodeName"));
    // A network's or an AS block's range and name stand where a domain's
    // name does, above a contact list that may be long.
    if ((objectClass != nullptr && *objectClass == "ip network") || Member(root, "startAddress") != nullptr)
        RenderNetwork(w, root);
    if ((objectClass != nullptr && *objectClass == "autnum") || Member(root, "startAutnum") != nullptr)
        RenderAutnum(w, root);
    w.Field(0, "Status", JoinStrings(Member(root, "status"), ", "));
    RenderEvents(w, 0, root);
    RenderVcard(w, 0, root); // an entity asked for itself
    RenderEntities(w, 0, root);
    RenderNameservers(w, root);
    RenderDnssec(w, root);
    w.Field(0, "Port 43", StringMember(root, "port43"));
    RenderNotices(w, root, "notices", "Notice");
    RenderNotices(w, root, "remarks", "Remark");
}

std::string RelatedLink(const json &root)
{
    const std::string *objectClass = StringMember(root, "objectClassName");
    const json *links = ArrayMember(root, "links");
    if (objectClass == nullptr || *objectClass != "domain" || links == nullptr)
        return "";
    for (const json &link : *links) {
        const std::string *rel = StringMember(link, "rel");
        const std::string *type = StringMember(link, "type");
        const std::string *href = StringMember(link, "href");
        if (rel != nullptr && EqualsNoCase(*rel, "related") && type != nullptr &&
            EqualsNoCase(*type, "application/rdap+json") && href != nullptr && RdapUrlAllowed(*href, true))
            return *href;
    }
    return "";
}

// A string as JSON writes it, quoted: the quote, the backslash and every
// control character escaped, DEL too; the rest, UTF-8 as the parser checked
// it, as it is.
void AppendJsonString(BoundedText &out, const std::string &value)
{
    static const char hex[] = "0123456789abcdef";
    out.Append('"');
    size_t run = 0;
    for (size_t i = 0; i < value.size() && !out.Full(); ++i) {
        const char c = value[i];
        if (c != '"' && c != '\\' && !IsControl(c))
            continue;
        out.Append(value.data() + run, i - run);
        run = i + 1;
        const char *shortForm = nullptr;
        switch (c) {
        case '"':
            shortForm = "\\\"";
            break;
        case '\\':
            shortForm = "\\\\";
            break;
        case '\b':
            shortForm = "\\b";
            break;
        case '\f':
            shortForm = "\\f";
            break;
        case '\n':
            shortForm = "\\n";
            break;
        case '\r':
            shortForm = "\\r";
            break;
        case '\t':
            shortForm = "\\t";
            break;
        default:
            break;
        }
        if (shortForm != nullptr) {
            out.Append(shortForm, 2);
        } else {
            const unsigned char u = static_cast<unsigned char>(c);
            const char escaped[6] = {'\\', 'u', '0', '0', hex[u >> 4], hex[u & 0xF]};
            out.Append(escaped, sizeof escaped);
        }
    }
    if (run < value.size())
        out.Append(value.data() + run, value.size() - run);
    out.Append('"');
}

// The value laid out with two spaces a level (MaxIndentLevels at most), CR
// LF line ends, as the parser's own writer lays it out to that depth. It
// walks the value with a stack of its own, so any depth the parser took is
// laid out, and stops where the text is full.
void AppendLayout(BoundedText &out, const json &root)
{
    struct Open {
        const json *value;
        json::const_iterator next;
    };
    std::vector<Open> open;
    // Writes a value; a container with members is opened, its members to follow.
    auto start = [&open, &out](const json &value) {
        if (value.is_structured() && !value.empty()) {
            out.Append(value.is_object() ? "{\r\n" : "[\r\n", 3);
            open.push_back({&value, value.cbegin()});
        } else if (value.is_structured()) {
            out.Append(value.is_object() ? "{}" : "[]", 2);
        } else if (value.is_string()) {
            AppendJsonString(out, value.get_ref<const std::string &>());
        } else {
            out.Append(value.dump()); // a number, true, false or null
        }
    };
    auto indent = [&out](size_t level) { out.Spaces(std::min(level, MaxIndentLevels) * 2); };
    start(root);
    while (!open.empty() && !out.Full()) {
        Open &top = open.back();
        const size_t level = open.size();
        if (top.next == top.value->cend()) {
            out.Append("\r\n", 2);
            indent(level - 1);
            out.Append(top.value->is_object() ? '}' : ']');
            open.pop_back();
            continue;
        }
        if (top.next != top.value->cbegin())
            out.Append(",\r\n", 3);
        const json::const_iterator member = top.next++;
        indent(level);
        if (top.value->is_object()) {
            AppendJsonString(out, member.key());
            out.Append(": ", 2);
        }
        start(*member); // may grow the stack, after which `top` is not to be used
    }
    out.Append("\r\n", 2);
}

// Reads a body only to learn why it is not JSON.
class ErrorOnly : public nlohmann::json_sax<json> {
public:
    std::string message;

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t &) override { return true; }
    bool string(string_t &) override { return true; }
    bool binary(binary_t &) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t &) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &error) override
    {
        message = error.what();
        return false;
    }
};

std::string ParseError(const char *body, size_t length)
{
    ErrorOnly reader;
    json::sax_parse(body, body + length, &reader);
    std::string message = reader.message;
    // "[json.exception.parse_error.101] parse error at line 1, ..."
    if (!message.empty() && message[0] == '[') {
        const size_t end = message.find("] ");
        if (end != std::string::npos)
            message.erase(0, end + 2);
    }
    if (message.size() > MaxParseErrorLength) {
        size_t cut = MaxParseErrorLength;
        while (cut > 0 && (static_cast<unsigned char>(message[cut]) & 0xC0) == 0x80)
            --cut; // not inside a character
        message.resize(cut);
        message += "...";
    }
    return message.empty() ? "unreadable" : message;
}

} // namespace

RdapAnswer RenderRdap(const char *body, size_t length)
{
    RdapAnswer answer;
    if (body == nullptr)
        length = 0;
    const char *first = body != nullptr ? body : "";
    const json root = json::parse(first, first + length, nullptr, false);
    BoundedText out(answer.text);
    if (root.is_discarded()) {
        out.Append("The answer is not JSON: ");
        AppendSafe(out, ParseError(first, length));
        out.Append("\r\n\r\n");
        AppendLines(out, first, length);
        if (length > 0 && first[length - 1] != '\n' && first[length - 1] != '\r')
            out.Append("\r\n");
    } else if (!root.is_object()) {
        out.Append("The answer is not an RDAP object but JSON ");
        out.Append(root.type_name());
        out.Append("\r\n\r\n");
        AppendLayout(out, root);
    } else {
        answer.json = true;
        Writer w(out);
        RenderObject(w, root);
        if (!out.Empty())
            out.Append("\r\n");
        AppendLayout(out, root);
        answer.related = RelatedLink(root);
    }
    answer.truncated = out.End();
    return answer;
}
