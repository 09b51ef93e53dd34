#include "platform/contacts/vcard.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <span>

#include "platform/base/text.h"
#include "platform/contacts/every_core.h"
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

// A line of the file, or several: a folded line (one that starts with a space or tab) is kept
// with the line it continues, so a photo's tens of thousands of lines are one record. BEGIN and
// END lines, even folded ones, stay records of their own.
struct PhysicalLine {
  std::string_view text;
  int number;     // of its first line
  int count = 1;  // lines in `text`
};

// The line at `p`, moving `p` past its end. Lines end at CR LF, LF or a lone CR. memchr does the
// walking: a card's photo is most of its bytes.
std::string_view NextLine(const char** p, const char* end) {
  const char* lf = static_cast<const char*>(std::memchr(*p, '\n', static_cast<size_t>(end - *p)));
  const char* stop = lf ? lf : end;
  const char* cr = static_cast<const char*>(std::memchr(*p, '\r', static_cast<size_t>(stop - *p)));
  const char* eol = cr ? cr : stop;
  std::string_view line(*p, static_cast<size_t>(eol - *p));
  *p = eol;
  if (eol < end) {
    ++*p;
    if (*eol == '\r' && *p < end && **p == '\n') ++*p;
  }
  return line;
}

bool IsCardBoundary(std::string_view line) { return IsBegin(line) || IsEnd(line); }

// From the start of `first` to the end of `last`, which lies after it in the same text.
std::string_view Through(std::string_view first, std::string_view last) {
  return std::string_view(first.data(), static_cast<size_t>(last.data() + last.size() - first.data()));
}

std::vector<PhysicalLine> SplitLines(std::string_view bytes) {
  std::vector<PhysicalLine> lines;
  int number = 1;
  const char* p = bytes.data();
  const char* end = p + bytes.size();
  while (p < end) {
    std::string_view line = NextLine(&p, end);
    bool folded = !line.empty() && (line[0] == ' ' || line[0] == '\t');
    if (folded && !lines.empty() && !IsCardBoundary(lines.back().text) && !IsCardBoundary(line)) {
      lines.back().text = Through(lines.back().text, line);
      ++lines.back().count;
    } else {
      lines.push_back({line, number});
    }
    ++number;
  }
  return lines;
}

// Calls `each` with every single line of `record` in turn, until it returns false.
template <typename Each>
void ForEachLine(const PhysicalLine& record, Each each) {
  if (record.count == 1) {
    each(record);
    return;
  }
  const char* p = record.text.data();
  const char* end = p + record.text.size();
  for (int i = 0; i < record.count; ++i)
    if (!each(PhysicalLine{NextLine(&p, end), record.number + i})) return;
}

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
// continuation lines that 2.1 exporters write. A logical line is a view of the card's text while
// it can be: whitespace means nothing in base64, so a photo's folds are read where they are and
// its megabytes are never copied. Lines whose joining changes the text are built in `storage`.
std::vector<PhysicalLine> Unfold(std::span<const PhysicalLine> lines, std::vector<std::string>* storage) {
  std::vector<PhysicalLine> logical;
  std::vector<int> built;  // per logical line: its place in storage, or -1 while it is a view
  storage->clear();
  auto text = [&]() -> std::string_view {
    return built.back() < 0 ? logical.back().text : std::string_view((*storage)[built.back()]);
  };
  auto build = [&]() -> std::string& {
    if (built.back() < 0) {
      built.back() = static_cast<int>(storage->size());
      storage->emplace_back(logical.back().text);
    }
    return (*storage)[built.back()];
  };
  bool inBase64 = false;
  auto take = [&](const PhysicalLine& pl) {
    std::string_view t = pl.text;
    bool continuation = !logical.empty() && !t.empty() && (t[0] == ' ' || t[0] == '\t');
    if (!continuation && !logical.empty() && inBase64 && ValueColon(t) == std::string_view::npos &&
        LooksLikeBase64(t))
      continuation = true;
    if (!continuation && !logical.empty() && !text().empty() && text().back() == '=' &&
        HeaderIsQuotedPrintable(text())) {
      std::string& joined = build();
      joined.pop_back();  // soft line break: the next line goes on as written
      joined.append(t);
      return;
    }
    if (continuation) {
      if (inBase64 && built.back() < 0) {
        // The lines lie one after another in the card's text: the view grows over the fold.
        logical.back().text = Through(logical.back().text, t);
      } else {
        build().append(t.substr(inBase64 ? 0 : 1));
      }
      return;
    }
    if (Trim(t).empty()) {
      inBase64 = false;
      return;
    }
    logical.push_back({t, pl.number});
    built.push_back(-1);
    inBase64 = HeaderIsBase64(t);
  };
  for (const PhysicalLine& record : lines) {
    bool first = true;
    ForEachLine(record, [&](const PhysicalLine& pl) {
      take(pl);
      // The rest of the record is folded lines: a base64 value's view takes them all at once.
      bool wholeRecord = first && record.count > 1 && inBase64 && built.back() < 0;
      first = false;
      if (!wholeRecord) return true;
      logical.back().text = Through(logical.back().text, record.text);
      return false;
    });
  }
  for (size_t i = 0; i < logical.size(); ++i)
    if (built[i] >= 0) logical[i].text = (*storage)[built[i]];
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
  std::u16string name;
  for (const PhysicalLine& record : body)
    ForEachLine(record, [&](const PhysicalLine& l) {
      Property p;
      if (ParseProperty(l.text, &p) && (p.name == "fn" || p.name == "n")) {
        name = DecodeCharset(ValueBytes(p), p.charset);
        for (char16_t& c : name)
          if (c == u';') c = u' ';
        name = Trim16(name);
      }
      return name.empty();
    });
  return name;
}

// Lines of the file as a card's own text, each ended by CR LF.
std::string RawText(std::span<const PhysicalLine> lines) {
  std::string raw;
  for (const PhysicalLine& record : lines)
    ForEachLine(record, [&](const PhysicalLine& l) {
      raw.append(l.text).append("\r\n");
      return true;
    });
  return raw;
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
  const size_t size = bytes.size();
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::vector<PhysicalLine> lines = SplitLines(bytes);
  // Where each card is, in order: its BEGIN line and the END line or what cut it short.
  struct Found {
    size_t begin, end;
    bool ended;
  };
  std::vector<Found> found;
  for (size_t i = 0; i < lines.size();) {
    if (!IsBegin(lines[i].text)) {
      ++i;  // text between cards is not ours to read
      continue;
    }
    size_t j = i + 1;
    while (j < lines.size() && !IsEnd(lines[j].text) && !IsBegin(lines[j].text)) ++j;
    bool ended = j < lines.size() && IsEnd(lines[j].text);
    found.push_back({i, j, ended});
    i = ended ? j + 1 : j;
  }
  auto body = [&](const Found& f) {
    return std::span<const PhysicalLine>(lines.data() + f.begin + 1, f.end - f.begin - 1);
  };
  std::vector<VCard> cards(found.size());
  std::vector<std::string> reasons(found.size());
  // The cards are read on every core: a book of camera photos is hundreds of megabytes of base64.
  ForEachOnEveryCore(found.size(), size, [&](size_t k) {
    const Found& f = found[k];
    if (!f.ended) return;
    VCard& card = cards[k];
    card.offset = static_cast<size_t>(lines[f.begin].text.data() - origin);
    card.length = static_cast<size_t>(lines[f.end].text.data() + lines[f.end].text.size() - origin) - card.offset;
    if (keepText) card.raw = RawText({lines.data() + f.begin, f.end - f.begin + 1});
    reasons[k] = ReadCard(body(f), &card);
  });
  VCardFile file;
  for (size_t k = 0; k < found.size(); ++k) {
    const Found& f = found[k];
    VCard& card = cards[k];
    card.index = static_cast<int>(k) + 1;
    card.line = lines[f.begin].number;
    if (!f.ended) {
      file.skipped.push_back({card.index, card.line, GuessName(body(f)),
                              f.end == lines.size() ? "no END:VCARD before the end of the file"
                                                    : "no END:VCARD before the next BEGIN:VCARD",
                              keepText ? RawText({lines.data() + f.begin, f.end - f.begin}) : std::string()});
    } else if (!reasons[k].empty()) {
      file.skipped.push_back({card.index, card.line, card.name.empty() ? GuessName(body(f)) : card.name, reasons[k],
                              std::move(card.raw)});
    } else {
      file.cards.push_back(std::move(card));
    }
  }
  return file;
}

std::string DescribeProblem(const VCardProblem& problem) {
  std::string s = "card " + std::to_string(problem.index) + " (line " + std::to_string(problem.line);
  if (!problem.name.empty()) s += ", " + Utf16ToUtf8(problem.name);
  return s + "): " + problem.reason;
}

}  // namespace platform::contacts
