// One file through tavo's reader and writer, as a teacher's score file
// goes through a selection: what it says it cannot keep, then what it
// leaves out on saving, one line each.
//   tavo_round_trip IN OUT.xlsx|OUT.xlsm
// Exit 0 when saved, 1 when the file was refused (the reason printed).
#include <iostream>

#include "cli/desk.h"
#include "host/model/recording_platform.h"
#include "host/xlsx/carried.h"
#include "host/file_error.h"
#include "host/xlsx/xlsx_writer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: tavo_round_trip IN OUT.xlsx\n";
    return 2;
  }
  tavo::model::RecordingPlatform platform;
  tavo::model::Application app(platform);
  try {
    auto loaded = tavo::cli::LoadAnyWorkbook(app, argv[1]);
    for (const auto& what : loaded.notCarried) std::cout << "named: " << what << '\n';
    for (const auto& what : tavo::xlsx::DroppedOnSave(*loaded.book, tavo::xlsx::FileKindOf(argv[2])))
      std::cout << "named: " << what << '\n';
    tavo::xlsx::SaveWorkbook(*loaded.book, argv[2]);
  } catch (const tavo::host::FileError& e) {
    std::cout << "refused: " << e.reason << '\n';
    return 1;
  } catch (const std::exception& e) {
    std::cout << "failed: " << e.what() << '\n';
    return 3;
  }
  return 0;
}
