#include "conversion/chromium_bookmarks.h"

#include <array>
#include <algorithm>
#include <cstring>
#include <deque>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <string_view>
#include <vector>

namespace merkwandel::conversion {
namespace {

constexpr std::size_t kBlockSize = 64 * 1024;
// Chrome's own JSON reader gives up on anything nested deeper, so such a
// file is no bookmark file a browser wrote; the bound keeps memory small.
constexpr std::size_t kDeepest = 200;

enum RootIndex { kBar, kOther, kSynced, kRootCount };

// Bookmarks in the order read: each its URL and its title, each as its
// length and its bytes, in blocks that go as soon as they are written.
class Bookmarks {
 public:
  struct Mark {
    std::size_t blocks, size, count;
  };
  Mark Here() const { return {blocks_.size(), blocks_.empty() ? 0 : blocks_.back().size(), count_}; }
  void CutTo(Mark mark) {
    blocks_.resize(mark.blocks);
    if (mark.blocks > 0) blocks_.back().resize(mark.size);
    count_ = mark.count;
  }
  std::size_t Count() const { return count_; }
  void Add(std::string_view url, std::string_view title) {
    const std::size_t size = 2 * sizeof(std::size_t) + url.size() + title.size();
    if (blocks_.empty() || blocks_.back().size() + size > blocks_.back().capacity()) {
      blocks_.emplace_back().reserve(std::max(size, kBlockSize));
    }
    AddText(url);
    AddText(title);
    ++count_;
  }
  // Hands each bookmark to `write` while it returns true; true at the end.
  template <typename Write>
  bool Take(const Write& write) {
    for (; !blocks_.empty(); blocks_.pop_front()) {
      for (std::string_view rest = blocks_.front(); !rest.empty();) {
        const std::string_view url = TakeText(rest);
        if (!write(url, TakeText(rest))) return false;
      }
    }
    return true;
  }

 private:
  void AddText(std::string_view text) {
    const std::size_t size = text.size();
    blocks_.back().append(reinterpret_cast<const char*>(&size), sizeof size).append(text);
  }
  static std::string_view TakeText(std::string_view& from) {
    std::size_t size = 0;
    std::memcpy(&size, from.data(), sizeof size);
    const std::string_view text = from.substr(sizeof size, size);
    from.remove_prefix(sizeof size + size);
    return text;
  }

  std::deque<std::string> blocks_;
  std::size_t count_ = 0;  // added, taken or not
};
// The bookmarks of one file, per root.
using Tree = std::array<Bookmarks, kRootCount>;

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The file's bytes for the parser, a block at a time, with events pumped
// after each block. On request the text of the next string value is
// passed over unseen (the parser sees an empty string, so that text is not
// checked): the values beside `roots`, `sync_metadata` among them, which
// the parser would otherwise hold whole.
class Input {
 public:
  Input(platform::InputFile& file, platform::UserInterface& ui)
      : file_(file), ui_(ui), block_(std::make_unique<char[]>(kBlockSize)) {}

  bool AtEnd() {
    if (at_ == end_ && !over_) Refill();
    return at_ == end_;
  }
  char Peek() const { return *at_; }
  void Advance() {
    const char passed = *at_++;
    if (skip_ == Skip::kOff) return;
    if (skip_ == Skip::kBeforeColon && passed == ':') {
      skip_ = Skip::kBeforeValue;
    } else if (skip_ == Skip::kBeforeValue && passed == '"') {
      skip_ = Skip::kOff;
      PassStringText();
    } else if (!IsWhite(passed)) {
      skip_ = Skip::kOff;  // not a string value
    }
  }
  // Called right behind a key.
  void PassNextString() { skip_ = Skip::kBeforeColon; }

  bool failed() const { return failed_; }
  bool closing() const { return closing_; }

 private:
  enum class Skip { kOff, kBeforeColon, kBeforeValue };

  void Refill() {
    const std::ptrdiff_t read = file_.Read(block_.get(), kBlockSize);
    failed_ = read < 0;
    closing_ = !ui_.PumpEvents();
    over_ = read <= 0 || closing_;
    at_ = block_.get();
    end_ = at_ + (over_ ? 0 : read);
  }
  // Moves up to the string's closing quote (or the end), past escapes.
  void PassStringText() {
    while (!AtEnd()) {
      if (escaped_) {
        escaped_ = false;
      } else if (*at_ == '\\') {
        escaped_ = true;
      } else if (*at_ == '"') {
        return;
      }
      ++at_;
    }
  }

  platform::InputFile& file_;
  platform::UserInterface& ui_;
  std::unique_ptr<char[]> block_;
  const char* at_ = nullptr;
  const char* end_ = nullptr;
  Skip skip_ = Skip::kOff;
  bool escaped_ = false;
  bool over_ = false;
  bool failed_ = false;
  bool closing_ = false;
};

// The parser's view of Input: an input iterator over its bytes.
class InputIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = char;

  explicit InputIterator(Input* input = nullptr) : input_(input) {}
  char operator*() const { return input_->Peek(); }
  InputIterator& operator++() {
    input_->Advance();
    return *this;
  }
  bool operator==(const InputIterator& other) const { return AtEnd() == other.AtEnd(); }

 private:
  bool AtEnd() const { return input_ == nullptr || input_->AtEnd(); }
  Input* input_;
};

// Collects the bookmarks from the parser's events. Each object or array
// open is a frame; the key of an object tells what its next value is.
class Collector final : public nlohmann::json_sax<nlohmann::json> {
 public:
  Collector(Input& input, Tree& tree) : input_(input), tree_(tree), frames_(kDeepest) {}

  bool RootsRead() const { return rootsRead_; }

  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }

  bool string(string_t& value) override {
    if (depth_ == 0 || Top().kind != Kind::kNode) return true;
    Frame& node = Top();
    switch (node.key) {
      case Key::kType: node.type = value; break;
      case Key::kName: node.name = value; break;
      case Key::kUrl:
        node.url = value;
        node.hasUrl = true;
        break;
      default: break;
    }
    return true;
  }

  bool start_object(std::size_t) override {
    if (depth_ == 0) return Push(Kind::kDocument, nullptr);
    const Frame& parent = Top();
    if (parent.kind == Kind::kDocument && parent.key == Key::kRoots) {
      rootsRead_ = true;
      return Push(Kind::kRoots, nullptr);
    }
    if (parent.kind == Kind::kRoots && parent.key >= Key::kBar) {
      return Push(Kind::kNode, &tree_[static_cast<int>(parent.key) - static_cast<int>(Key::kBar)]);
    }
    return Push(parent.kind == Kind::kChildren ? Kind::kNode : Kind::kIgnored, parent.out);
  }

  bool key(string_t& name) override {
    Frame& frame = Top();
    frame.key = KeyOf(frame.kind, name);
    if (frame.kind == Kind::kDocument && frame.key != Key::kRoots) input_.PassNextString();
    return true;
  }

  bool end_object() override {
    Frame& node = frames_[--depth_];
    if (node.kind == Kind::kNode && node.type != "folder") {
      node.out->CutTo(node.mark);  // what a node of another type holds gives nothing
      if (node.type == "url" && node.hasUrl) node.out->Add(node.url, node.name);
    }
    return true;
  }

  bool start_array(std::size_t) override {
    const bool children = depth_ > 0 && Top().kind == Kind::kNode && Top().key == Key::kChildren;
    return Push(children ? Kind::kChildren : Kind::kIgnored, depth_ > 0 ? Top().out : nullptr);
  }
  bool end_array() override {
    --depth_;
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

 private:
  enum class Kind { kDocument, kRoots, kNode, kChildren, kIgnored };
  // In the order of RootIndex from kBar on.
  enum class Key { kNone, kRoots, kType, kName, kUrl, kChildren, kBar, kOther, kSynced };

  struct Frame {
    Kind kind = Kind::kIgnored;
    Key key = Key::kNone;
    Bookmarks* out = nullptr;  // where the node's bookmarks go
    Bookmarks::Mark mark{};    // where out was when the node began
    std::string type, name, url;
    bool hasUrl = false;
  };

  static Key KeyOf(Kind kind, std::string_view name) {
    switch (kind) {
      case Kind::kDocument: return name == "roots" ? Key::kRoots : Key::kNone;
      case Kind::kRoots:
        return name == "bookmark_bar" ? Key::kBar
               : name == "other"      ? Key::kOther
               : name == "synced"     ? Key::kSynced
                                      : Key::kNone;
      case Kind::kNode:
        return name == "type"       ? Key::kType
               : name == "name"     ? Key::kName
               : name == "url"      ? Key::kUrl
               : name == "children" ? Key::kChildren
                                    : Key::kNone;
      default: return Key::kNone;
    }
  }

  Frame& Top() { return frames_[depth_ - 1]; }

  bool Push(Kind kind, Bookmarks* out) {
    if (depth_ == kDeepest) return false;
    Frame& frame = frames_[depth_++];
    frame.kind = kind;
    frame.key = Key::kNone;
    frame.out = out;
    if (out != nullptr) frame.mark = out->Here();
    frame.type.clear();
    frame.name.clear();
    frame.url.clear();
    frame.hasUrl = false;
    return true;
  }

  Input& input_;
  Tree& tree_;
  std::vector<Frame> frames_;
  std::size_t depth_ = 0;
  bool rootsRead_ = false;
};

// Reads the bookmarks of `file` into `tree`.
ReadOutcome ReadTree(platform::InputFile& file, platform::UserInterface& ui, Tree& tree) {
  Input input(file, ui);
  bool parsed = false;
  bool rootsRead = false;
  try {
    Collector collector(input, tree);
    parsed = nlohmann::json::sax_parse(InputIterator(&input), InputIterator(), &collector);
    rootsRead = collector.RootsRead();
  } catch (const std::exception&) {
    // Memory ran out: the file counts as unreadable, as nothing was written yet.
  }
  if (input.closing()) return ReadOutcome::kWindowClosing;
  return parsed && rootsRead && !input.failed() ? ReadOutcome::kRead : ReadOutcome::kUnreadable;
}

bool SameLetters(std::string_view a, std::string_view b) {  // ASCII, any letter case
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

ReadOutcome ConvertChromiumBookmarks(app::Root& root, ShortcutWriter& writer, RunProgress& progress,
                                     platform::InputFile& file, const std::string& path,
                                     const std::function<void()>& close) {
  auto& files = root.Platform().Files();
  auto& ui = root.Platform().Ui();
  const std::size_t cut = path.find_last_of("\\/") + 1;  // 0 without a folder
  const std::string_view name = std::string_view(path).substr(cut);
  const bool account = SameLetters(name, "AccountBookmarks");
  std::array<Tree, 2> trees;  // the local bookmarks, the account's
  ReadOutcome outcome = ReadTree(file, ui, trees[account ? 1 : 0]);
  close();
  if (outcome != ReadOutcome::kRead) return outcome;
  if (account || SameLetters(name, "Bookmarks")) {
    const std::string other = path.substr(0, cut) + (account ? "Bookmarks" : "AccountBookmarks");
    const auto attributes = files.Attributes(other);
    if (attributes && (*attributes & platform::kAttributeDirectory) == 0) {
      const auto otherFile = files.OpenForReading(other);
      if (!otherFile) return ReadOutcome::kUnreadable;
      outcome = ReadTree(*otherFile, ui, trees[account ? 0 : 1]);
      if (outcome != ReadOutcome::kRead) return outcome;
    }
  }

  std::uint64_t whole = 0, done = 0;
  for (const Tree& tree : trees) {
    for (const Bookmarks& bookmarks : tree) whole += bookmarks.Count();
  }
  progress.Start(whole);
  bool closing = false;
  const auto write = [&](std::string_view url, std::string_view title) {
    try {
      writer.WriteBookmark(url, title);
    } catch (const std::bad_alloc&) {
      return false;  // as in the other readers: what was written stays
    }
    progress.Reached(++done);
    closing = !ui.PumpEvents();
    return !closing;
  };
  for (int index = 0; index < kRootCount; ++index) {
    for (Tree& tree : trees) {
      if (!tree[index].Take(write)) return closing ? ReadOutcome::kWindowClosing : ReadOutcome::kRead;
    }
  }
  return ReadOutcome::kRead;
}

}  // namespace merkwandel::conversion
