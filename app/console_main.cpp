// merkwandel-console BOOKMARKFILE TARGETFOLDER
//
// Runs exactly the conversion that "Starten" runs, on the host backend: the
// two arguments go into the two path fields, each message box is printed as
// one line "<icon>: <text>" and the Explorer start as "explorer: <command
// line>". Arguments and output are UTF-8, as the program's texts are; an
// argument's bytes that are not UTF-8 are read as Windows-1252 characters.
//
// Paths without drive letter are host paths. MERKWANDEL_DRIVES maps drive
// letters to host folders for Windows paths, as in "C=/srv/c;D=/mnt/d".
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/root.h"
#include "conversion/conversion_run.h"
#include "platform/common/unicode.h"
#include "platform/host/host_platform.h"

namespace {

using merkwandel::platform::MessageIcon;

const char* IconName(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kWarning: return "warning";
    case MessageIcon::kError: return "error";
    case MessageIcon::kInformation: return "information";
  }
  return "information";
}

void MapDrives(merkwandel::platform::host::HostFileSystem& files, const char* mapping) {
  if (mapping == nullptr) return;
  std::string rest = mapping;
  while (!rest.empty()) {
    const auto end = rest.find(';');
    const std::string item = rest.substr(0, end);
    if (item.size() > 2 && item[1] == '=') files.MapDrive(item[0], item.substr(2));
    if (end == std::string::npos) break;
    rest.erase(0, end + 1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: merkwandel-console BOOKMARKFILE TARGETFOLDER\n");
    return 2;
  }
  merkwandel::platform::host::HostPlatform platform;
  MapDrives(platform.HostFiles(), std::getenv("MERKWANDEL_DRIVES"));
  auto& ui = platform.HostUi();
  ui.onMessage = [](const merkwandel::platform::host::ShownMessage& message) {
    std::printf("%s: %s\n", IconName(message.icon), message.text.c_str());
    std::fflush(stdout);
  };
  ui.onProcessStart = [](const merkwandel::platform::host::StartedProcess& process) {
    std::printf("explorer: %s\n", process.commandLine.c_str());
    std::fflush(stdout);
  };

  merkwandel::app::Root root(platform);
  root.SetText(merkwandel::app::Field::tHypertext, merkwandel::unicode::RepairUtf8(argv[1]));
  root.SetText(merkwandel::app::Field::tFavoriten, merkwandel::unicode::RepairUtf8(argv[2]));
  merkwandel::conversion::RunConversion(root);
  return 0;
}
