#include "bench/places_generator.h"

#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string_view>
#include <utility>

namespace merkwandel::bench {
namespace {

// moz_bookmarks and moz_places with their indexes as Firefox 153 creates
// them, in its page size and journal mode, and its roots.
constexpr char kSchema[] =
    "PRAGMA page_size = 32768; PRAGMA journal_mode = WAL;"
    "CREATE TABLE moz_bookmarks (  id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent "
    "INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, "
    "lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0, syncChangeCounter INTEGER NOT "
    "NULL DEFAULT 1);"
    "CREATE INDEX moz_bookmarks_itemindex ON moz_bookmarks (fk, type);"
    "CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks (parent, position);"
    "CREATE INDEX moz_bookmarks_itemlastmodifiedindex ON moz_bookmarks (fk, lastModified);"
    "CREATE INDEX moz_bookmarks_dateaddedindex ON moz_bookmarks (dateAdded);"
    "CREATE UNIQUE INDEX moz_bookmarks_guid_uniqueindex ON moz_bookmarks (guid);"
    "CREATE TABLE moz_places (   id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host "
    "LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 "
    "NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER , guid TEXT, foreign_count "
    "INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT NULL , description TEXT, preview_image_url "
    "TEXT, site_name TEXT, origin_id INTEGER REFERENCES moz_origins(id), recalc_frecency INTEGER NOT NULL "
    "DEFAULT 0, alt_frecency INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);"
    "CREATE INDEX moz_places_url_hashindex ON moz_places (url_hash);"
    "CREATE INDEX moz_places_hostindex ON moz_places (rev_host);"
    "CREATE INDEX moz_places_visitcount ON moz_places (visit_count);"
    "CREATE INDEX moz_places_frecencyindex ON moz_places (frecency);"
    "CREATE INDEX moz_places_lastvisitdateindex ON moz_places (last_visit_date);"
    "CREATE UNIQUE INDEX moz_places_guid_uniqueindex ON moz_places (guid);"
    "CREATE INDEX moz_places_originidindex ON moz_places (origin_id);"
    "CREATE INDEX moz_places_altfrecencyindex ON moz_places (alt_frecency);"
    "INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES"
    " (1, 2, 0, 0, '', 'root________'), (2, 2, 1, 0, 'menu', 'menu________'),"
    " (3, 2, 1, 1, 'toolbar', 'toolbar_____'), (4, 2, 1, 2, 'tags', 'tags________'),"
    " (5, 2, 1, 3, 'unfiled', 'unfiled_____'), (6, 2, 1, 4, 'mobile', 'mobile______');";
constexpr std::int64_t kMenu = 2;
constexpr std::int64_t kToolbar = 3;

struct Close {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

// A title or folder name as the export escapes it, unescaped.
std::string Unescape(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEscapes[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
  std::string plain;
  for (std::size_t at = 0; at < text.size();) {
    bool escaped = false;
    for (const auto& [escape, c] : kEscapes) {
      if (text.substr(at).starts_with(escape)) {
        plain.push_back(c);
        at += escape.size();
        escaped = true;
        break;
      }
    }
    if (!escaped) plain.push_back(text[at++]);
  }
  return plain;
}

// The text of an element that ends its line with `endTag`.
std::string_view ElementText(std::string_view line, std::string_view endTag) {
  const std::size_t end = line.rfind(endTag);
  const std::size_t start = line.rfind('>', end) + 1;
  return line.substr(start, end - start);
}

// Text as Chrome's JSON writer escapes it ("<" too).
std::string JsonText(std::string_view text) {
  std::string escaped = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      escaped += {'\\', c};
    } else if (static_cast<unsigned char>(c) < 0x20 || c == '<') {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(static_cast<unsigned char>(c)));
      escaped += code;
    } else {
      escaped.push_back(c);
    }
  }
  return escaped + "\"";
}

struct ChromiumNode {
  explicit ChromiumNode(std::string title, std::string link = {}) : name(std::move(title)), url(std::move(link)) {}
  std::string name, url;  // no url: a folder
  std::vector<ChromiumNode> children;
};

void WriteNode(std::ostream& out, const ChromiumNode& node, std::size_t depth, std::size_t& id) {
  const std::string in(3 * depth, ' ');
  const std::string key = "\r\n" + in + "   \"";
  char guid[40];
  std::snprintf(guid, sizeof guid, "5b3c%04zx-1c2d-4e5f-8a9b-%012zu", depth, ++id);
  out << "{";
  if (node.url.empty()) {
    out << key << "children\": [ ";
    for (std::size_t k = 0; k < node.children.size(); ++k) {
      if (k > 0) out << ", ";
      WriteNode(out, node.children[k], depth + 1, id);
    }
    out << " ],";
  }
  out << key << "date_added\": \"1335" << (id * 7919 % 1000000000000) << "\"," << key
      << "date_last_used\": \"0\"," << (node.url.empty() ? key + "date_modified\": \"13350000000000000\"," : "") << key << "guid\": \"" << guid << "\"," << key << "id\": \"" << id << "\",";
  if (!node.url.empty() && id % 5 == 0) {
    out << key << "meta_info\": {\r\n" << in << "      \"power_bookmark_meta\": \"\"\r\n" << in << "   },";
  }
  out << key << "name\": " << JsonText(node.name) << "," << key << "type\": \""
      << (node.url.empty() ? "folder\"" : "url\",") ;
  if (!node.url.empty()) out << key << "url\": " << JsonText(node.url);
  out << "\r\n" << in << "}";
}

}  // namespace

std::optional<std::vector<ExpectedShortcut>> WriteChromiumBookmarks(const std::string& path, std::size_t count,
                                                                     std::uint64_t seed, std::size_t syncMetadata) {
  // The export's lines, one element each, give the tree: its bookmark bar,
  // and the rest, which is what "other" holds.
  std::ostringstream html;
  auto expected = WriteExport(html, Browser::kChrome, count, seed);
  ChromiumNode bar("Lesezeichenleiste"), other("Weitere Lesezeichen"), synced("Mobile Lesezeichen");
  std::vector<ChromiumNode*> open;  // the folders open at the line, innermost last
  std::istringstream lines(html.str());
  for (std::string text; std::getline(lines, text);) {
    const std::size_t indent = text.find_first_not_of(' ');
    if (indent == std::string::npos) continue;
    const std::string_view line = std::string_view(text).substr(indent);
    if (line.starts_with("<DT><H3")) {
      if (line.find("PERSONAL_TOOLBAR_FOLDER") != std::string_view::npos) {
        open.push_back(&bar);
      } else {
        if (open.empty()) open.push_back(&other);
        open.back()->children.emplace_back(Unescape(ElementText(line, "</H3>")));
        open.push_back(&open.back()->children.back());
      }
    } else if (line.starts_with("</DL>") && !open.empty()) {
      open.pop_back();
      if (open.size() == 1 && open[0] == &other) open.clear();
    } else if (line.starts_with("<DT><A HREF=\"")) {
      if (open.empty()) open.push_back(&other);
      const std::string_view url = line.substr(13, line.find('"', 13) - 13);
      open.back()->children.emplace_back(Unescape(ElementText(line, "</A>")), std::string(url));
    }
  }

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::size_t id = 0;
  out << "{\r\n   \"checksum\": \"5f1d0c3b8e2a4f6d9c7b1a0e3d2c4b5a\",\r\n   \"roots\": {";
  const std::pair<const char*, const ChromiumNode*> roots[] = {{"bookmark_bar", &bar}, {"other", &other}, {"synced", &synced}};
  for (const auto& [name, root] : roots) {
    out << (root == &bar ? "" : ",") << "\r\n      \"" << name << "\": ";
    WriteNode(out, *root, 2, id);
  }
  out << "\r\n   },\r\n   \"sync_metadata\": \"";
  std::uint64_t state = seed;
  static constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string chunk;
  for (std::size_t i = 0; i < syncMetadata; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    chunk.push_back(kBase64[state >> 58]);
    if (chunk.size() == 65536 || i + 1 == syncMetadata) {
      out << chunk;
      chunk.clear();
    }
  }
  out << "\",\r\n   \"version\": 1\r\n}\r\n";
  out.close();
  if (!out) return std::nullopt;
  return expected;
}

std::optional<std::vector<ExpectedShortcut>> WritePlacesDatabase(const std::string& path, std::size_t count,
                                                                  std::uint64_t seed) {
  // The export's lines, one element each, give the tree.
  std::ostringstream html;
  auto expected = WriteExport(html, Browser::kFirefox, count, seed);

  for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path + suffix).c_str());
  sqlite3* opened = nullptr;
  sqlite3_open_v2(path.c_str(), &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  std::unique_ptr<sqlite3, Close> db(opened);
  auto prepare = [&](const char* sql) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db.get(), sql, -1, &statement, nullptr);
    return std::unique_ptr<sqlite3_stmt, Close>(statement);
  };
  if (sqlite3_exec(db.get(), kSchema, nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return std::nullopt;
  }
  auto item = prepare(
      "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, guid) VALUES (?1, ?2, ?3, ?4, ?5, ?6, "
      "printf('item%08d', ?1))");
  auto place = prepare("INSERT INTO moz_places (id, url, guid) VALUES (?1, ?2, printf('page%08d', ?1))");
  if (!item || !place) return std::nullopt;

  struct Folder {
    std::int64_t id;
    std::int64_t nextPosition = 0;
  };
  std::vector<Folder> open;  // the folders open at the line, innermost last
  std::int64_t nextId = 7;
  bool ok = true;
  // Adds an item of `type` to the innermost folder and gives its id.
  auto add = [&](int type, std::int64_t fk, std::string_view title) {
    const std::int64_t id = nextId++;
    sqlite3_bind_int64(item.get(), 1, id);
    sqlite3_bind_int(item.get(), 2, type);
    fk != 0 ? sqlite3_bind_int64(item.get(), 3, fk) : sqlite3_bind_null(item.get(), 3);
    sqlite3_bind_int64(item.get(), 4, open.back().id);
    sqlite3_bind_int64(item.get(), 5, open.back().nextPosition++);
    type == 3 ? sqlite3_bind_null(item.get(), 6)
              : sqlite3_bind_text(item.get(), 6, title.data(), static_cast<int>(title.size()), SQLITE_TRANSIENT);
    ok = ok && sqlite3_step(item.get()) == SQLITE_DONE;
    sqlite3_reset(item.get());
    return id;
  };

  std::istringstream lines(html.str());
  for (std::string text; ok && std::getline(lines, text);) {
    const std::size_t indent = text.find_first_not_of(' ');
    if (indent == std::string::npos) continue;
    const std::string_view line = std::string_view(text).substr(indent);
    if (line.starts_with("<DL><p>") && open.empty()) {
      open.push_back({kMenu});
    } else if (line.starts_with("<DT><H3")) {
      open.push_back({line.find("PERSONAL_TOOLBAR_FOLDER") != std::string_view::npos
                          ? kToolbar
                          : add(2, 0, Unescape(ElementText(line, "</H3>")))});
    } else if (line.starts_with("</DL>") && !open.empty()) {
      open.pop_back();
    } else if (line.starts_with("<HR>") && !open.empty()) {
      add(3, 0, {});
    } else if (line.starts_with("<DT><A HREF=\"") && !open.empty()) {
      const std::string_view url = line.substr(13, line.find('"', 13) - 13);
      const std::int64_t fk = nextId;  // a place of its own, numbered like its bookmark
      sqlite3_bind_int64(place.get(), 1, fk);
      sqlite3_bind_text(place.get(), 2, url.data(), static_cast<int>(url.size()), SQLITE_TRANSIENT);
      ok = sqlite3_step(place.get()) == SQLITE_DONE;
      sqlite3_reset(place.get());
      add(1, fk, Unescape(ElementText(line, "</A>")));
    }
  }
  if (!ok || sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) return std::nullopt;
  return expected;
}

}  // namespace merkwandel::bench
