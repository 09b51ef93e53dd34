#include "platform/contacts/vcard.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <span>

#include "platform/base/text.h"
#include "platform/contacts/text_decode.h"

namespace platform::contacts {
namespace {

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return r;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::u16string Trim16(std::u16string s) {
  auto space = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  while (!s.empty() && space(s.back())) s.pop_back();
  size_t i = 0;
  while (i < s.size() && space(s[i])) ++i;
  return s.substr(i);
}

bool IsHangul(char16_t c) {
  return (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F);
}

struct PhysicalLine {
  std::string_view text;
  int number;
};

// Lines end at CR LF, LF or a lone CR. memchr does the walking: a card's photo is most of its bytes.
std::vector<PhysicalLine> SplitLines(std::string_view bytes) {
  std::vector<PhysicalLine> lines;
  int number = 1;
  const char* p = bytes.data();
  const char* end = p + bytes.size();
  while (p < end) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* stop = lf ? lf : end;
    const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(stop - p)));
    const char* eol = cr ? cr : stop;
    lines.push_back({std::string_view(p, static_cast<size_t>(eol - p)), number++});
    if (eol == end) break;
    p = eol + 1;
    if (*eol == '\r' && p < end && *p == '\n') ++p;
  }
  return lines;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view lower) {
  if (a.size() != lower.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char c = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    if (c != lower[i]) return false;
  }
  return true;
}

bool IsBegin(std::string_view line) { return EqualsIgnoringCase(Trim(line), "begin:vcard"); }
bool IsEnd(std::string_view line) { return EqualsIgnoringCase(Trim(line), "end:vcard"); }

// Position of the first ':' outside double quotes, or npos.
size_t ValueColon(std::string_view line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    else if (line[i] == ':' && !quoted) return i;
  }
  return std::string_view::npos;
}

std::vector<std::string_view> SplitOutsideQuotes(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  bool quoted = false;
  size_t start = 0;
  for (size_t i = 0; i <= s.size(); ++i) {
    if (i < s.size() && s[i] == '"') quoted = !quoted;
    if (i == s.size() || (s[i] == sep && !quoted)) {
      parts.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

struct Property {
  std::string name;  // lower case, group removed
  std::vector<std::string> types;  // lower case
  std::string encoding;            // lower case: "quoted-printable", "b", "base64", ...
  std::string charset;
  std::string valueType;  // lower case VALUE=
  bool pref = false;
  std::string_view value;  // raw bytes after the colon, inside the card's logical line
};

bool HeaderIsQuotedPrintable(std::string_view logical) {
  size_t colon = ValueColon(logical);
  std::string head = Lower(logical.substr(0, colon));
  return head.find("quoted-printable") != std::string::npos;
}

bool HeaderIsBase64(std::string_view logical) {
  size_t colon = ValueColon(logical);
  std::string head = Lower(logical.substr(0, colon));
  return head.find("encoding=b") != std::string::npos || head.find(";base64") != std::string::npos;
}

bool LooksLikeBase64(std::string_view line) {
  line = Trim(line);
  if (line.empty()) return false;
  for (char c : line)
    if (!(isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' || c == '=')) return false;
  return true;
}

// Joins the physical lines of one card into logical lines: folding (a line that starts with a
// space or tab continues the previous one), quoted-printable soft breaks, and the bare base64
// continuation lines that 2.1 exporters write.
std::vector<PhysicalLine> Unfold(std::span<const PhysicalLine> lines, std::vector<std::string>* storage) {
  std::vector<PhysicalLine> logical;
  storage->clear();
  storage->reserve(lines.size());
  bool inBase64 = false;
  for (const PhysicalLine& pl : lines) {
    std::string_view t = pl.text;
    bool continuation = !storage->empty() && !t.empty() && (t[0] == ' ' || t[0] == '\t');
    if (!continuation && !storage->empty() && inBase64 && ValueColon(t) == std::string_view::npos &&
        LooksLikeBase64(t))
      continuation = true;
    if (!continuation && !storage->empty() && HeaderIsQuotedPrintable(storage->back()) &&
        !storage->back().empty() && storage->back().back() == '=') {
      storage->back().pop_back();  // soft line break: the next line goes on as written
      storage->back().append(t);
      continue;
    }
    if (continuation) {
      storage->back().append(t.substr(inBase64 ? 0 : 1));
      continue;
    }
    if (Trim(t).empty()) {
      inBase64 = false;
      continue;
    }
    storage->emplace_back(t);
    logical.push_back({{}, pl.number});
    inBase64 = HeaderIsBase64(storage->back());
  }
  for (size_t i = 0; i < logical.size(); ++i) logical[i].text = (*storage)[i];
  return logical;
}

bool ParseProperty(std::string_view line, Property* p) {
  size_t colon = ValueColon(line);
  if (colon == std::string_view::npos) return false;
  std::vector<std::string_view> head = SplitOutsideQuotes(line.substr(0, colon), ';');
  std::string_view name = Trim(head[0]);
  if (size_t dot = name.rfind('.'); dot != std::string_view::npos) name.remove_prefix(dot + 1);
  if (name.empty()) return false;
  p->name = Lower(name);
  for (size_t i = 1; i < head.size(); ++i) {
    std::string_view param = Trim(head[i]);
    if (param.empty()) continue;
    size_t eq = param.find('=');
    std::string key = Lower(eq == std::string_view::npos ? std::string_view{} : Trim(param.substr(0, eq)));
    std::string_view val = eq == std::string_view::npos ? param : Trim(param.substr(eq + 1));
    if (val.size() >= 2 && val.front() == '"' && val.back() == '"') val = val.substr(1, val.size() - 2);
    std::string lv = Lower(val);
    if (key.empty()) {  // 2.1 bare parameters
      if (lv == "quoted-printable" || lv == "base64" || lv == "b" || lv == "8bit" || lv == "7bit") p->encoding = lv;
      else if (lv == "pref") p->pref = true;
      else p->types.push_back(lv);
    } else if (key == "type") {
      for (std::string_view t : SplitOutsideQuotes(val, ',')) {
        std::string lt = Lower(Trim(t));
        if (lt.size() >= 2 && lt.front() == '"' && lt.back() == '"') lt = lt.substr(1, lt.size() - 2);
        if (lt == "pref") p->pref = true;
        else if (!lt.empty()) p->types.push_back(lt);
      }
    } else if (key == "encoding") {
      p->encoding = lv;
    } else if (key == "charset") {
      p->charset = std::string(val);
    } else if (key == "pref") {
      p->pref = true;
    } else if (key == "value") {
      p->valueType = lv;
    }
  }
  p->value = line.substr(colon + 1);
  return true;
}

// The value's bytes after its transfer encoding.
std::string ValueBytes(const Property& p) {
  if (p.encoding == "quoted-printable") return DecodeQuotedPrintable(p.value);
  if (p.encoding == "b" || p.encoding == "base64") {
    std::string out;
    return DecodeBase64(p.value, &out) ? out : std::string();
  }
  return std::string(p.value);
}

// Splits a text value at unescaped `sep` and resolves the backslash escapes of 3.0 and 4.0.
std::vector<std::u16string> SplitText(std::u16string_view v, char16_t sep) {
  std::vector<std::u16string> parts(1);
  for (size_t i = 0; i < v.size(); ++i) {
    char16_t c = v[i];
    if (c == u'\\' && i + 1 < v.size()) {
      char16_t n = v[++i];
      parts.back().push_back(n == u'n' || n == u'N' ? u'\n' : n);
    } else if (c == sep) {
      parts.emplace_back();
    } else {
      parts.back().push_back(c);
    }
  }
  return parts;
}

std::u16string TextValue(const Property& p) {
  std::vector<std::u16string> parts = SplitText(DecodeCharset(ValueBytes(p), p.charset), 0);
  return Trim16(parts[0]);
}

bool Has(const std::vector<std::string>& types, const char* t) {
  return std::find(types.begin(), types.end(), t) != types.end();
}

struct PhoneSlots {
  std::u16string number[3];  // mobile, business, home
  bool pref[3] = {};
  std::vector<std::pair<std::u16string, bool>> untyped;
  void Put(int slot, const std::u16string& n, bool isPref) {
    if (number[slot].empty() || (isPref && !pref[slot])) {
      number[slot] = n;
      pref[slot] = isPref;
    }
  }
};

void AddPhone(const Property& p, PhoneSlots* slots) {
  std::u16string number = TextValue(p);
  if (number.size() >= 4 && (number.compare(0, 4, u"tel:") == 0 || number.compare(0, 4, u"TEL:") == 0))
    number.erase(0, 4);
  number = Trim16(number);
  if (number.empty()) return;
  const auto& t = p.types;
  if (Has(t, "fax") || Has(t, "pager") || Has(t, "textphone") || Has(t, "video")) return;
  if (Has(t, "cell") || Has(t, "mobile") || Has(t, "iphone")) slots->Put(0, number, p.pref);
  else if (Has(t, "work")) slots->Put(1, number, p.pref);
  else if (Has(t, "home")) slots->Put(2, number, p.pref);
  else slots->untyped.emplace_back(number, p.pref);
}

void AddPhoto(const Property& p, VCard* card) {
  std::string bytes;
  std::string_view v = Trim(p.value);
  if (v.size() > 5 && Lower(v.substr(0, 5)) == "data:") {
    size_t comma = v.find(',');
    if (comma == std::string_view::npos) return;
    std::string meta = Lower(v.substr(5, comma - 5));
    if (meta.size() < 7 || meta.compare(meta.size() - 7, 7, ";base64") != 0) return;
    if (!DecodeBase64(v.substr(comma + 1), &bytes)) return;
  } else if (p.encoding == "b" || p.encoding == "base64") {
    if (!DecodeBase64(v, &bytes)) return;
  } else {
    return;  // a link to a picture elsewhere: the phone does not fetch it
  }
  card->photo = std::move(bytes);
}

std::u16string JoinCategories(const std::vector<std::u16string>& parts) {
  std::u16string out;
  for (const std::u16string& raw : parts) {
    std::u16string c = Trim16(raw);
    if (c.empty()) continue;
    if (!out.empty()) out += u", ";
    out += c;
  }
  return out;
}

// Fills `card` from its logical lines; a reason when the card cannot be used.
std::string ReadCard(std::span<const PhysicalLine> body, VCard* card) {
  std::vector<std::string> storage;
  std::vector<PhysicalLine> logical = Unfold(body, &storage);
  PhoneSlots phones;
  std::u16string fn, family, given, middle;
  bool sawN = false;
  std::vector<std::u16string> categories;
  for (const PhysicalLine& l : logical) {
    Property p;
    if (!ParseProperty(l.text, &p)) return "line " + std::to_string(l.number) + " is not a property (no ':')";
    if (p.name == "fn") {
      fn = TextValue(p);
    } else if (p.name == "n") {
      sawN = true;
      std::vector<std::u16string> parts = SplitText(DecodeCharset(ValueBytes(p), p.charset), u';');
      family = Trim16(parts.size() > 0 ? parts[0] : u"");
      given = Trim16(parts.size() > 1 ? parts[1] : u"");
      middle = Trim16(parts.size() > 2 ? parts[2] : u"");
    } else if (p.name == "org") {
      card->company = Trim16(SplitText(DecodeCharset(ValueBytes(p), p.charset), u';')[0]);
    } else if (p.name == "categories") {
      for (auto& c : SplitText(DecodeCharset(ValueBytes(p), p.charset), u',')) categories.push_back(c);
    } else if (p.name == "tel") {
      AddPhone(p, &phones);
    } else if (p.name == "photo") {
      AddPhoto(p, card);
    } else if (p.name == "uid") {
      card->uid = TextValue(p);
    }
  }
  for (auto& [number, pref] : phones.untyped) {
    for (int slot : {0, 2, 1})
      if (phones.number[slot].empty()) {
        phones.Put(slot, number, pref);
        break;
      }
  }
  card->mobile = phones.number[0];
  card->business = phones.number[1];
  card->home = phones.number[2];
  card->categories = JoinCategories(categories);
  card->firstName = given;
  card->lastName = family;
  if (!fn.empty()) {
    card->name = fn;
  } else if (sawN) {
    std::u16string givenAll = middle.empty() ? given : (given.empty() ? middle : given + u" " + middle);
    card->name = NameFromParts(family, givenAll);
  }
  if (card->name.empty()) card->name = card->company;
  if (card->name.empty() && card->mobile.empty() && card->business.empty() && card->home.empty())
    return "no name and no phone number";
  return {};
}

// A best-effort name for a warning about a card that could not be read.
std::u16string GuessName(std::span<const PhysicalLine> body) {
  for (const PhysicalLine& l : body) {
    Property p;
    if (ParseProperty(l.text, &p) && (p.name == "fn" || p.name == "n")) {
      std::u16string v = DecodeCharset(ValueBytes(p), p.charset);
      for (char16_t& c : v)
        if (c == u';') c = u' ';
      v = Trim16(v);
      if (!v.empty()) return v;
    }
  }
  return {};
}

}  // namespace

std::u16string NameFromParts(std::u16string_view family, std::u16string_view given) {
  bool korean = std::any_of(family.begin(), family.end(), IsHangul) || std::any_of(given.begin(), given.end(), IsHangul);
  if (family.empty()) return std::u16string(given);
  if (given.empty()) return std::u16string(family);
  if (korean) return std::u16string(family) + std::u16string(given);
  return std::u16string(given) + u" " + std::u16string(family);
}

VCardFile ParseVCards(std::string_view bytes, bool keepText) {
  const char* origin = bytes.data();
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::vector<PhysicalLine> lines = SplitLines(bytes);
  VCardFile file;
  int index = 0;
  size_t i = 0;
  while (i < lines.size()) {
    if (!IsBegin(lines[i].text)) {
      ++i;  // text between cards is not ours to read
      continue;
    }
    ++index;
    size_t begin = i;
    size_t j = i + 1;
    while (j < lines.size() && !IsEnd(lines[j].text) && !IsBegin(lines[j].text)) ++j;
    std::span<const PhysicalLine> body(lines.data() + begin + 1, j - begin - 1);
    if (j == lines.size() || IsBegin(lines[j].text)) {
      std::string raw;
      for (size_t k = begin; k < j && keepText; ++k) raw.append(lines[k].text).append("\r\n");
      file.skipped.push_back({index, lines[begin].number, GuessName(body),
                              j == lines.size() ? "no END:VCARD before the end of the file"
                                                : "no END:VCARD before the next BEGIN:VCARD",
                              raw});
      i = j;
      continue;
    }
    VCard card;
    card.index = index;
    card.line = lines[begin].number;
    card.offset = static_cast<size_t>(lines[begin].text.data() - origin);
    card.length = static_cast<size_t>(lines[j].text.data() + lines[j].text.size() - origin) - card.offset;
    if (keepText) card.raw.reserve(card.length + 2);
    for (size_t k = begin; k <= j && keepText; ++k) {
      card.raw.append(lines[k].text);
      card.raw.append("\r\n");
    }
    std::string reason = ReadCard(body, &card);
    if (!reason.empty()) {
      file.skipped.push_back({index, card.line, card.name.empty() ? GuessName(body) : card.name, reason, card.raw});
    } else {
      file.cards.push_back(std::move(card));
    }
    i = j + 1;
  }
  return file;
}

std::string DescribeProblem(const VCardProblem& problem) {
  std::string s = "card " + std::to_string(problem.index) + " (line " + std::to_string(problem.line);
  if (!problem.name.empty()) s += ", " + Utf16ToUtf8(problem.name);
  return s + "): " + problem.reason;
}

}  // namespace platform::contacts
