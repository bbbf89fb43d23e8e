// The workbook form of a merged calendar (calendario.xlsx): one sheet, one
// row per match line, with dates and times a spreadsheet understands.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/line_sink.h"
#include "calendar/places.h"
#include "io/encoding.h"
#include "io/files.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace unisci {

class TemporaryFile;
struct Xlsxwriter;

struct WorkbookSettings {
  // The calendars' file names as given, by LineOrigin::calendar; "-" is
  // standard input. A name that is not valid UTF-8 is read as Windows-1252.
  std::vector<std::string> files;
  // The encoding of each calendar, in the same order.
  std::vector<Encoding> encodings;
  // The document's creation time, Unix time; see stamp_time().
  std::int64_t created = 0;
  // The workbook's name in messages, such as "calendario.xlsx".
  std::string name = "calendario.xlsx";
  // Where the workbook is put together before it goes to its output, with the
  // library's own scratch files: the output's folder, say. Empty: the
  // system's folder for temporary files.
  std::string scratch_folder;
  // Told of each match line whose date or time does not exist, or which has
  // no digits where they belong; its date and time are written as text.
  std::function<void(const LineOrigin&)> bad_date;
  // The teams that tell places of several words (see place_and_match()); null:
  // the place is the first word.
  std::shared_ptr<const KnownTeams> known_teams;
};

// Writes the workbook with libxlsxwriter. The sheet "Calendario" has a bold,
// frozen heading row with an autofilter, N DATA ORARIO LUOGO PARTITA
// CALENDARIO, then one row per match line in the order handed: the match
// number (a number if it is up to 15 digits alone without a leading zero,
// text otherwise), the date shown dd/mm/yyyy and the time shown hh:mm, the
// place and the match as place_and_match() finds them, and the calendar's
// file name without folders and
// extension. A date or time that does not exist, or a date before 1900,
// keeps its text as written. All text is UTF-8, cut to the 32,767
// characters a cell holds; the columns are as wide as their text, up to 50.
//
// The rows go through the library's constant-memory mode, so memory stays
// flat whatever the length of the calendars; the workbook is made in a
// temporary file, copied to the output at close(), and removed on every path,
// a signal's included. The same lines and creation time give the same bytes.
class WorkbookExport : public LineSink {
 public:
  // The most match lines a sheet holds: its rows but the heading.
  static constexpr std::int64_t kMaxMatchLines = 1048575;

  // Starts the workbook that close() writes to `out`. Throws FileError.
  WorkbookExport(ByteSink& out, WorkbookSettings settings);
  ~WorkbookExport() override;
  WorkbookExport(const WorkbookExport&) = delete;
  WorkbookExport& operator=(const WorkbookExport&) = delete;

  // Throws FileError: with Action::TooManyRows at the line past
  // kMaxMatchLines, so that no workbook is written.
  void match_line(const MergedLine& line) override;
  void empty_line() override {}
  // Finishes the workbook, writes it to the output and closes that. Throws
  // FileError.
  void close() override;

 private:
  static constexpr std::size_t kColumns = 6;

  // What every row of one calendar shares.
  struct Source {
    std::string name;  // the file name without folders and extension, UTF-8
    Encoding encoding;
  };

  // The sheet, its formats and its heading row.
  void start_sheet(std::int64_t created);
  void give_up();
  void write_number(std::string_view number);
  void write_date(const std::optional<LocalDateTime>& start, std::string_view text);
  void write_time(const std::optional<LocalDateTime>& start, std::string_view text);
  void write_text(std::size_t column, std::string_view text);
  void copy_to_output();
  // Throws FileError if the library reports an error (an lxw_error), or
  // std::bad_alloc.
  void check(int error);
  void check_scratch_file();

  ByteSink& out_;
  std::string name_;
  std::function<void(const LineOrigin&)> bad_date_;
  std::shared_ptr<const KnownTeams> known_teams_;
  std::unique_ptr<Xlsxwriter> xlsxwriter_;  // the library's functions
  std::vector<Source> sources_;
  std::unique_ptr<TemporaryFile> file_;
  std::string scratch_folder_;
  lxw_workbook* workbook_ = nullptr;
  lxw_worksheet* sheet_ = nullptr;
  lxw_format* heading_format_ = nullptr;
  lxw_format* date_format_ = nullptr;
  lxw_format* time_format_ = nullptr;
  std::uint32_t row_ = 0;  // the sheet's row being written: 0 the heading, then each match line
  // The widest text of each column, in characters.
  std::array<std::size_t, kColumns> widths_{};
  // Reused for every line, so that a cell costs no allocation of ours.
  std::string converted_;
  std::string cell_;
};

}  // namespace unisci
