#include "bench/bookmark_generator.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace merkwandel::bench {
namespace {

// A small, fast generator whose sequence is the same on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {  // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A number from `low` to `high`, both included.
  std::size_t Between(std::size_t low, std::size_t high) {
    return low + static_cast<std::size_t>(Next() % (high - low + 1));
  }
  bool Percent(unsigned percent) { return Next() % 100 < percent; }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& items) {
    return items[Next() % N];
  }

 private:
  std::uint64_t state_;
};

struct TitleAndName {
  std::string_view title;  // as the user sees it, UTF-8, before the browser escapes it
  std::string_view name;   // the shortcut's file name that follows from it
};

// Titles as they come in real exports: umlauts and other Western letters,
// typographic quotes and dashes, "&", and the characters that a file name
// can't hold (which the name then lacks, or has as "-").
constexpr std::array<TitleAndName, 24> kTitles = {{
    // Bücher & Hörbücher
    {"B\xC3\xBC" "cher & H\xC3\xB6rb\xC3\xBC" "cher",
     "B\xC3\xBC" "cher & H\xC3\xB6rb\xC3\xBC" "cher"},
    // Straßenbahn – Fahrplan
    {"Stra\xC3\x9F" "enbahn \xE2\x80\x93 Fahrplan",
     "Stra\xC3\x9F" "enbahn \xE2\x80\x93 Fahrplan"},
    // Café „Zum Löwen“
    {"Caf\xC3\xA9 \xE2\x80\x9EZum L\xC3\xB6wen\xE2\x80\x9C",
     "Caf\xC3\xA9 \xE2\x80\x9EZum L\xC3\xB6wen\xE2\x80\x9C"},
    // Preise: ab 20 €
    {"Preise: ab 20 \xE2\x82\xAC",
     "Preise ab 20 \xE2\x82\xAC"},
    {"heise online | IT-News",
     "heise online  IT-News"},
    {"Q&A <Fragen> und Antworten",
     "Q&A Fragen und Antworten"},
    {"Was ist \"neu\"?",
     "Was ist neu"},
    // AC/DC – Tourdaten
    {"AC/DC \xE2\x80\x93 Tourdaten",
     "AC-DC \xE2\x80\x93 Tourdaten"},
    // Rock 'n' Roll · Klassiker
    {"Rock 'n' Roll \xC2\xB7 Klassiker",
     "Rock 'n' Roll \xC2\xB7 Klassiker"},
    // Señor Ñandú – Año 2024
    {"Se\xC3\xB1or \xC3\x91" "and\xC3\xBA \xE2\x80\x93 A\xC3\xB1o 2024",
     "Se\xC3\xB1or \xC3\x91" "and\xC3\xBA \xE2\x80\x93 A\xC3\xB1o 2024"},
    // Œuvres complètes de Molière
    {"\xC5\x92uvres compl\xC3\xA8tes de Moli\xC3\xA8re",
     "\xC5\x92uvres compl\xC3\xA8tes de Moli\xC3\xA8re"},
    // Zürich * Genève
    {"Z\xC3\xBCrich * Gen\xC3\xA8ve",
     "Z\xC3\xBCrich  Gen\xC3\xA8ve"},
    {"Wikipedia",
     "Wikipedia"},
    {"GitHub",
     "GitHub"},
    // Übersicht der Ämter
    {"\xC3\x9C" "bersicht der \xC3\x84mter",
     "\xC3\x9C" "bersicht der \xC3\x84mter"},
    // Spiegel Online — Nachrichten
    {"Spiegel Online \xE2\x80\x94 Nachrichten",
     "Spiegel Online \xE2\x80\x94 Nachrichten"},
    // «Le Monde» – À la une
    {"\xC2\xABLe Monde\xC2\xBB \xE2\x80\x93 \xC3\x80 la une",
     "\xC2\xABLe Monde\xC2\xBB \xE2\x80\x93 \xC3\x80 la une"},
    {"Anleitung: C:\\Programme\\Werkzeug",
     "Anleitung C-Programme-Werkzeug"},
    // Tipps & Tricks … für Einsteiger
    {"Tipps & Tricks \xE2\x80\xA6 f\xC3\xBCr Einsteiger",
     "Tipps & Tricks \xE2\x80\xA6 f\xC3\xBCr Einsteiger"},
    // Müller’s Küche
    {"M\xC3\xBCller\xE2\x80\x99s K\xC3\xBC" "che",
     "M\xC3\xBCller\xE2\x80\x99s K\xC3\xBC" "che"},
    // Titles longer than a shortcut name may be.
    // Die Zeit – Nachrichten, News, Hintergründe und Debatten
    {"Die Zeit \xE2\x80\x93 Nachrichten, News, Hintergr\xC3\xBCnde und Debatten",
     "Die Zeit \xE2\x80\x93 Nachrichten, News, Hintergr\xC3\xBCnde und Debatten"},
    // Amazon.de: Günstige Preise für Elektronik & Foto, Filme, Musik, Bücher
    {"Amazon.de: G\xC3\xBCnstige Preise f\xC3\xBCr Elektronik & Foto, Filme, Musik, B\xC3\xBC" "cher",
     "Amazon.de G\xC3\xBCnstige Preise f\xC3\xBCr Elektronik & Foto, Filme, Musik, B\xC3\xBC" "cher"},
    // Stack Overflow – Where Developers Learn, Share, & Build Careers
    {"Stack Overflow \xE2\x80\x93 Where Developers Learn, Share, & Build Careers",
     "Stack Overflow \xE2\x80\x93 Where Developers Learn, Share, & Build Careers"},
    // Deutsche Bahn: Fahrplanauskunft | Tickets | Reiseauskunft – bahn.de
    {"Deutsche Bahn: Fahrplanauskunft | Tickets | Reiseauskunft \xE2\x80\x93 bahn.de",
     "Deutsche Bahn Fahrplanauskunft  Tickets  Reiseauskunft \xE2\x80\x93 bahn.de"},
}};

constexpr std::array<std::string_view, 15> kFolders = {
    "Reisen & Urlaub", "K\xC3\xBC" "che", "Arbeit", "Nachrichten", "Programmierung",
    "Musik", "Beh\xC3\xB6rden", "Einkaufen", "Lesestoff", "Archiv 2019",
    "Fotografie", "Gesundheit", "Finanzen", "Spiele", "Werkzeuge"};

constexpr std::array<std::string_view, 16> kHosts = {
    "www.heise.de",   "de.wikipedia.org",  "www.spiegel.de",    "github.com",
    "www.bahn.de",    "www.amazon.de",     "stackoverflow.com", "www.zeit.de",
    "www.chefkoch.de", "www.youtube.com",  "docs.python.org",   "www.reddit.com",
    "news.ycombinator.com", "www.tagesschau.de", "en.cppreference.com", "www.openstreetmap.org"};

constexpr std::array<std::string_view, 24> kWords = {
    "artikel", "news", "wiki", "rezepte", "suche", "produkte", "kategorie", "archiv",
    "2019", "2024", "hilfe", "forum", "thread", "reise", "karte", "M%C3%BCnchen",
    "doc", "reference", "index", "watch", "blog", "beitrag", "galerie", "download"};

constexpr std::string_view kBase64 =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The longest name, in characters (each of ours is one character of the
// Windows code page), that a shortcut file gets.
constexpr std::size_t kNameCharacters = 49;

std::size_t CharacterCount(std::string_view utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The first `characters` characters of UTF-8 text.
std::string FirstCharacters(std::string_view utf8, std::size_t characters) {
  std::size_t at = 0;
  for (std::size_t seen = 0; at < utf8.size(); ++at) {
    if ((static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80 && seen++ == characters) break;
  }
  return std::string(utf8.substr(0, at));
}

// Text as both browsers escape it in titles and folder names.
std::string EscapeHtml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size() + 8);
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&#39;"; break;
      default: escaped.push_back(c);
    }
  }
  return escaped;
}

// Writes the file's lines with the browser's line end and indentation, and
// keeps track of the folders that are open.
class ExportWriter {
 public:
  ExportWriter(std::ostream& out, Browser browser, std::uint64_t seed)
      : out_(out), browser_(browser), random_(seed) {}

  Random& random() { return random_; }
  std::size_t depth() const { return depth_; }

  void Line(std::string_view text) {
    out_ << text << (browser_ == Browser::kChrome ? "\r\n" : "\n");
  }

  void Header() {
    Line("<!DOCTYPE NETSCAPE-Bookmark-file-1>");
    Line("<!-- This is an automatically generated file.");
    Line("     It will be read and overwritten.");
    Line("     DO NOT EDIT! -->");
    Line("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">");
    if (browser_ == Browser::kFirefox) {
      Line("<meta http-equiv=\"Content-Security-Policy\"");
      Line("      content=\"default-src 'self'; script-src 'none'; img-src data: *; object-src 'none'\"></meta>");
      Line("<TITLE>Bookmarks</TITLE>");
      Line("<H1>Bookmarks Menu</H1>");
      Line("");
    } else {
      Line("<TITLE>Bookmarks</TITLE>");
      Line("<H1>Bookmarks</H1>");
    }
    Line("<DL><p>");
  }

  void Footer() {
    while (depth_ > 0) CloseFolder();
    if (browser_ == Browser::kFirefox) {
      OpenFolder("Lesezeichen-Symbolleiste", " PERSONAL_TOOLBAR_FOLDER=\"true\"");
      CloseFolder();
      Line("</DL>");
    } else {
      Line("</DL><p>");
    }
  }

  void OpenFolder(std::string_view name, std::string_view extra = "") {
    const std::uint64_t added = Date();
    Line(Indent() + "<DT><H3 ADD_DATE=\"" + std::to_string(added) + "\" LAST_MODIFIED=\"" +
         std::to_string(added + random_.Between(0, 99999999)) + "\"" + std::string(extra) + ">" +
         EscapeHtml(name) + "</H3>");
    Line(Indent() + "<DL><p>");
    ++depth_;
  }

  void CloseFolder() {
    --depth_;
    Line(Indent() + "</DL><p>");
  }

  void Separator() { Line(Indent() + "<HR>"); }

  // One bookmark with title `title` (unescaped) and a favicon of
  // `iconCharacters` base64 characters (none for 0).
  void Bookmark(const std::string& url, std::string_view title, std::size_t iconCharacters) {
    std::string line = Indent() + "<DT><A HREF=\"" + url + "\" ADD_DATE=\"";
    const std::uint64_t added = Date();
    line += std::to_string(added) + "\"";
    if (browser_ == Browser::kFirefox) {
      line += " LAST_MODIFIED=\"" + std::to_string(added + random_.Between(0, 99999999)) + "\"";
    }
    out_ << line;
    if (iconCharacters > 0) {
      if (browser_ == Browser::kFirefox) {
        const std::size_t host = url.find("//") + 2;
        out_ << " ICON_URI=\"https://" << url.substr(host, url.find('/', host) - host) << "/favicon.ico\"";
      }
      out_ << " ICON=\"data:image/png;base64,";
      Icon(iconCharacters);
      out_ << "\"";
    }
    if (browser_ == Browser::kFirefox && random_.Percent(5)) out_ << " TAGS=\"lesen,sp\xC3\xA4ter\"";
    line = ">" + EscapeHtml(title) + "</A>";
    Line(line);
  }

  void Description(std::string_view text) {
    if (browser_ == Browser::kFirefox) Line(Indent() + "<DD>" + EscapeHtml(text));
  }

  // Base64 characters as an inline PNG favicon holds them.
  void Icon(std::size_t characters) {
    static constexpr std::string_view kPngStart = "iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAYAAAAf8/9h";
    const std::size_t head = std::min(characters, kPngStart.size());
    out_ << kPngStart.substr(0, head);
    std::string chunk;
    chunk.reserve(4096);
    for (std::size_t i = head; i < characters; ++i) {
      chunk.push_back(i + 1 == characters ? '=' : kBase64[random_.Next() % 64]);
      if (chunk.size() == 4096) {
        out_ << chunk;
        chunk.clear();
      }
    }
    out_ << chunk;
  }

  std::string Url() {
    std::string url = random_.Percent(85) ? "https://" : "http://";
    url += random_.Pick(kHosts);
    const std::size_t segments = random_.Between(0, 4);
    for (std::size_t k = 0; k < segments; ++k) {
      url += "/";
      url += random_.Pick(kWords);
      if (random_.Percent(30)) url += "-" + std::to_string(random_.Between(1, 99999));
    }
    url += "/";
    if (random_.Percent(40)) {
      url += "?id=" + std::to_string(random_.Between(1, 9999999)) + "&lang=de";
      if (random_.Percent(30)) url += "&utm_source=newsletter&utm_medium=email&utm_campaign=fruehjahr";
    }
    if (random_.Percent(10)) url += "#abschnitt-" + std::to_string(random_.Between(1, 40));
    return url;
  }

  // How long the favicon of a bookmark is: many have none, most are small
  // PNGs, a few are large.
  std::size_t IconCharacters() {
    const auto roll = random_.Next() % 100;
    if (roll < 40) return 0;
    if (roll < 85) return random_.Between(100, 300) * 4;
    if (roll < 97) return random_.Between(300, 1000) * 4;
    return random_.Between(1000, 3000) * 4;
  }

 private:
  std::string Indent() const { return std::string(4 * (depth_ + 1), ' '); }
  std::uint64_t Date() { return 1200000000 + random_.Between(0, 500000000); }

  std::ostream& out_;
  Browser browser_;
  Random random_;
  std::size_t depth_ = 0;  // folders open inside the top list
};

// Title and shortcut name of bookmark number `serial`, distinct from every
// other serial's even when letter case is ignored.
std::pair<std::string, std::string> NumberedTitle(Random& random, std::size_t serial) {
  const TitleAndName& pick = random.Pick(kTitles);
  const std::string number = std::to_string(serial);
  std::string title = std::string(pick.title) + " " + number;
  std::string name = std::string(pick.name) + " " + number;
  if (CharacterCount(name) > kNameCharacters) {
    // The number goes in front, where cutting the name keeps it.
    title = number + " " + std::string(pick.title);
    name = FirstCharacters(number + " " + std::string(pick.name), kNameCharacters);
  }
  return {title, name};
}

// Ten plain bookmarks, numbered from `first`.
void TenBookmarks(ExportWriter& writer, std::size_t first, std::vector<ExpectedShortcut>& expected) {
  for (std::size_t serial = first; serial < first + 10; ++serial) {
    auto [title, name] = NumberedTitle(writer.random(), serial);
    std::string url = writer.Url();
    writer.Bookmark(url, title, writer.IconCharacters());
    expected.push_back({std::move(name), std::move(url)});
  }
}

}  // namespace

std::vector<ExpectedShortcut> WriteExport(std::ostream& out, Browser browser, std::size_t count,
                                          std::uint64_t seed) {
  ExportWriter writer(out, browser, seed);
  Random& random = writer.random();
  std::vector<ExpectedShortcut> expected;
  expected.reserve(count);

  writer.Header();
  // Firefox lists the menu's own folder first, Chrome the bookmarks bar:
  // the first bookmark is on line 14 and 11.
  if (browser == Browser::kFirefox) {
    writer.OpenFolder("Mozilla Firefox");
  } else {
    writer.OpenFolder("Lesezeichenleiste", " PERSONAL_TOOLBAR_FOLDER=\"true\"");
  }
  std::size_t left = random.Between(3, 12);  // bookmarks until the folder changes
  for (std::size_t serial = 1; serial <= count; ++serial) {
    if (left == 0) {
      // Leave some folders, open a new one at most four deep.
      const std::size_t target = random.Between(1, std::min<std::size_t>(writer.depth() + 1, 4));
      while (writer.depth() >= target) writer.CloseFolder();
      writer.OpenFolder(random.Pick(kFolders));
      left = random.Between(3, 80);
    }
    --left;
    if (random.Percent(1)) writer.Separator();
    auto [title, name] = NumberedTitle(random, serial);
    std::string url = writer.Url();
    writer.Bookmark(url, title, writer.IconCharacters());
    if (random.Percent(4)) writer.Description("Merken f\xC3\xBCr sp\xC3\xA4ter & weitersagen");
    expected.push_back({std::move(name), std::move(url)});
  }
  writer.Footer();
  return expected;
}

std::vector<ExpectedShortcut> WriteLongDescription(std::ostream& out, std::size_t blockBytes,
                                                   std::uint64_t seed) {
  ExportWriter writer(out, Browser::kFirefox, seed);
  Random& random = writer.random();
  std::vector<ExpectedShortcut> expected;
  writer.Header();
  writer.OpenFolder("Mozilla Firefox");
  TenBookmarks(writer, 1, expected);
  auto [title, name] = NumberedTitle(random, 11);
  std::string url = writer.Url();
  writer.Bookmark(url, title, writer.IconCharacters());
  expected.push_back({std::move(name), std::move(url)});

  // A description pasted from a long document: many lines, markup that
  // looks like tags, but no end tag of a bookmark anywhere.
  static constexpr std::array<std::string_view, 12> kText = {
      "Lorem", "ipsum", "<br>", "dolor", "&amp;", "sit", "<p>", "amet,", "<a name=\"x\">",
      "Stra\xC3\x9F" "e", "<A HREF=\"#teil-2\">", "consectetur"};
  writer.Description("Mitschrift, Teil 1:");
  std::size_t written = 0;
  std::string line;
  while (written < blockBytes) {
    line.clear();
    const std::size_t length = random.Between(40, 160);
    while (line.size() < length) {
      if (!line.empty()) line.push_back(' ');
      line += random.Pick(kText);
    }
    writer.Line(line);
    written += line.size() + 1;
  }
  TenBookmarks(writer, 12, expected);
  writer.Footer();
  return expected;
}

std::vector<ExpectedShortcut> WriteHugeFavicon(std::ostream& out, std::size_t iconBytes,
                                               std::uint64_t seed) {
  ExportWriter writer(out, Browser::kFirefox, seed);
  std::vector<ExpectedShortcut> expected;
  writer.Header();
  writer.OpenFolder("Mozilla Firefox");
  TenBookmarks(writer, 1, expected);
  auto [title, name] = NumberedTitle(writer.random(), 11);
  std::string url = writer.Url();
  writer.Bookmark(url, title, iconBytes);
  expected.push_back({std::move(name), std::move(url)});
  TenBookmarks(writer, 12, expected);
  writer.Footer();
  return expected;
}

void WriteManifest(std::ostream& out, const std::vector<ExpectedShortcut>& shortcuts) {
  for (const auto& shortcut : shortcuts) out << shortcut.name << '\t' << shortcut.url << '\n';
}

std::optional<std::vector<ExpectedShortcut>> ReadManifest(std::istream& in) {
  std::vector<ExpectedShortcut> shortcuts;
  std::string line;
  while (std::getline(in, line)) {
    const auto tab = line.find('\t');
    if (tab == std::string::npos || tab == 0) return std::nullopt;
    shortcuts.push_back({line.substr(0, tab), line.substr(tab + 1)});
  }
  return shortcuts;
}

std::string ShortcutBytes(const std::string& url) { return "[InternetShortcut]\r\nURL=" + url + "\r\n"; }

}  // namespace merkwandel::bench
