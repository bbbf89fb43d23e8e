#include "export/workbook.h"

#include <xlsxwriter.h>

#ifndef _WIN32
#include <dlfcn.h>
#endif

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdio>
#include <new>
#include <optional>
#include <utility>

#include "calendar/match_line.h"
#include "calendar/places.h"
#include "export/file_name.h"
#include "io/temporary_file.h"

namespace unisci {

namespace {

constexpr std::array<const char*, 6> kHeadings{"N",     "DATA",    "ORARIO",
                                               "LUOGO", "PARTITA", "CALENDARIO"};
enum Column : lxw_col_t { kNumber, kDate, kTime, kPlace, kMatch, kCalendar };

// The widths of the columns, in characters: the heading's with room for the
// autofilter's button, at most kWidestColumn, one to spare.
constexpr std::size_t kFilterButton = 2;
constexpr std::size_t kWidestColumn = 50;
// The characters a date and a time are shown in: dd/mm/yyyy, hh:mm.
constexpr std::size_t kDateWidth = 10;
constexpr std::size_t kTimeWidth = 5;

// The longest match number written as a number: a double holds every
// integer of 15 digits.
constexpr std::size_t kNumberDigits = 15;

// A sheet shows no date before 1900: its dates count the days from there.
constexpr int kFirstYear = 1900;

// The most characters a cell holds.
constexpr std::size_t kCellCharacters = 32767;

// The characters of `text`, UTF-8.
std::size_t characters(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// Whether `number` is written as a number: digits alone, not so many that a
// double rounds them, and no leading zero, which the number would lose.
bool is_plain_number(std::string_view number) {
  return !number.empty() && number.size() <= kNumberDigits &&
         std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
         (number[0] != '0' || number.size() == 1);
}

// The errno value that tells of a library error: the one of the failed call,
// and for a part of the zip file past the 4 GiB that its plain format
// allows, "file too large".
int reason_of(lxw_error error) {
  switch (error) {
    case LXW_ERROR_ZIP_BAD_ZIP_FILE: return EFBIG;
    case LXW_ERROR_MEMORY_MALLOC_FAILED: return ENOMEM;
    default: return error_or(EIO);
  }
}

}  // namespace

// The functions of libxlsxwriter that a workbook calls. Where shared
// libraries are loaded by name, the library is loaded only when a workbook is
// written: linked to the program, it and the libraries it needs (OpenSSL's
// libcrypto among them) cost every run, whatever its form, about 5 ms of
// processor time to load, as much as the text form takes to merge 80,000
// match lines. The Windows program has the library linked in.
struct Xlsxwriter {
  decltype(&::workbook_new_opt) workbook_new_opt = nullptr;
  decltype(&::workbook_set_properties) workbook_set_properties = nullptr;
  decltype(&::workbook_add_worksheet) workbook_add_worksheet = nullptr;
  decltype(&::workbook_add_format) workbook_add_format = nullptr;
  decltype(&::workbook_close) workbook_close = nullptr;
  decltype(&::lxw_workbook_free) lxw_workbook_free = nullptr;
  decltype(&::format_set_bold) format_set_bold = nullptr;
  decltype(&::format_set_num_format) format_set_num_format = nullptr;
  decltype(&::worksheet_write_string) worksheet_write_string = nullptr;
  decltype(&::worksheet_write_number) worksheet_write_number = nullptr;
  decltype(&::worksheet_write_datetime) worksheet_write_datetime = nullptr;
  decltype(&::worksheet_freeze_panes) worksheet_freeze_panes = nullptr;
  decltype(&::worksheet_set_column) worksheet_set_column = nullptr;
  decltype(&::worksheet_autofilter) worksheet_autofilter = nullptr;
};

namespace {

// The library's functions; null if the library, or one of them, is missing.
std::unique_ptr<Xlsxwriter> load_xlsxwriter() {
  auto functions = std::make_unique<Xlsxwriter>();
  [[maybe_unused]] bool found = true;
#ifdef _WIN32
#define UNISCI_FIND(function) functions->function = &::function
#else
  // Never unloaded: OpenSSL, which it loads, stays to the end anyway.
  void* library = dlopen(UNISCI_XLSXWRITER_LIBRARY, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (library == nullptr) return nullptr;
#define UNISCI_FIND(function)                                                     \
  functions->function =                                                           \
      reinterpret_cast<decltype(functions->function)>(dlsym(library, #function)); \
  found = found && functions->function != nullptr
#endif
  UNISCI_FIND(workbook_new_opt);
  UNISCI_FIND(workbook_set_properties);
  UNISCI_FIND(workbook_add_worksheet);
  UNISCI_FIND(workbook_add_format);
  UNISCI_FIND(workbook_close);
  UNISCI_FIND(lxw_workbook_free);
  UNISCI_FIND(format_set_bold);
  UNISCI_FIND(format_set_num_format);
  UNISCI_FIND(worksheet_write_string);
  UNISCI_FIND(worksheet_write_number);
  UNISCI_FIND(worksheet_write_datetime);
  UNISCI_FIND(worksheet_freeze_panes);
  UNISCI_FIND(worksheet_set_column);
  UNISCI_FIND(worksheet_autofilter);
#undef UNISCI_FIND
  if (!found) functions.reset();
  return functions;
}

}  // namespace

WorkbookExport::WorkbookExport(ByteSink& out, WorkbookSettings settings)
    : out_(out),
      name_(std::move(settings.name)),
      bad_date_(std::move(settings.bad_date)),
      known_teams_(std::move(settings.known_teams)),
      xlsxwriter_(load_xlsxwriter()) {
#ifndef _WIN32
  if (!xlsxwriter_) throw FileError(FileError::Action::Create, name_, ELIBACC);
#endif
  assert(settings.files.size() == settings.encodings.size());
  for (std::size_t i = 0; i < settings.files.size(); ++i) {
    std::string shown = shown_file_name(settings.files[i]);
    sources_.push_back(
        {std::string(without_extension(without_folders(shown))), settings.encodings[i]});
  }
  scratch_folder_ = settings.scratch_folder.empty() ? system_temporary_folder()
                                                    : std::move(settings.scratch_folder);
  file_ = std::make_unique<TemporaryFile>(scratch_folder_, ".xlsx");

  // The library's own scratch files have no name to remove at a signal: it
  // unlinks each as soon as it is made, or on Windows has the system remove
  // it when closed. It writes numbers with printf(), so the program never
  // sets LC_NUMERIC: a decimal comma would corrupt them.
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = scratch_folder_.data();
  // The library opens the file with fopen(), built with mingw-w64 as well,
  // so it takes the name as the program's own files have it.
  errno = 0;
  workbook_ = xlsxwriter_->workbook_new_opt(file_->path().c_str(), &options);
  if (workbook_ == nullptr)
    throw FileError(FileError::Action::Create, file_->path(),
                    reason_of(LXW_ERROR_CREATING_XLSX_FILE));
  try {
    start_sheet(settings.created);
  } catch (...) {
    give_up();
    throw;
  }
}

WorkbookExport::~WorkbookExport() {
  give_up();
}

void WorkbookExport::start_sheet(std::int64_t created) {
  // The library takes 0 for the current time: the first second of 1970 is
  // stamped as the next one.
  lxw_doc_properties properties{};
  properties.created = static_cast<time_t>(std::max<std::int64_t>(created, 1));
  check(xlsxwriter_->workbook_set_properties(workbook_, &properties));
  sheet_ = xlsxwriter_->workbook_add_worksheet(workbook_, "Calendario");
  heading_format_ = xlsxwriter_->workbook_add_format(workbook_);
  date_format_ = xlsxwriter_->workbook_add_format(workbook_);
  time_format_ = xlsxwriter_->workbook_add_format(workbook_);
  if (sheet_ == nullptr || heading_format_ == nullptr || date_format_ == nullptr ||
      time_format_ == nullptr)
    check(LXW_ERROR_CREATING_TMPFILE);
  xlsxwriter_->format_set_bold(heading_format_);
  xlsxwriter_->format_set_num_format(date_format_, "dd/mm/yyyy");
  xlsxwriter_->format_set_num_format(time_format_, "hh:mm");
  for (std::size_t column = 0; column < kColumns; ++column) {
    check(xlsxwriter_->worksheet_write_string(sheet_, 0, static_cast<lxw_col_t>(column),
                                              kHeadings[column], heading_format_));
    widths_[column] = characters(kHeadings[column]) + kFilterButton;
  }
  xlsxwriter_->worksheet_freeze_panes(sheet_, 1, 0);
}

// A workbook not closed: the library closes the sheet's scratch file only when
// it puts the workbook together.
void WorkbookExport::give_up() {
  if (workbook_ == nullptr) return;
  if (sheet_ != nullptr && sheet_->optimize_tmpfile != nullptr) {
    std::fclose(sheet_->optimize_tmpfile);
    sheet_->optimize_tmpfile = nullptr;
    sheet_->file = nullptr;
  }
  xlsxwriter_->lxw_workbook_free(workbook_);
  workbook_ = nullptr;
  sheet_ = nullptr;
}

void WorkbookExport::match_line(const MergedLine& line) {
  if (row_ == kMaxMatchLines) throw FileError(FileError::Action::TooManyRows, name_, 0);
  const LineOrigin& origin = line.origin;
  assert(origin.calendar >= 0 && static_cast<std::size_t>(origin.calendar) < sources_.size());
  const Source& source = sources_[static_cast<std::size_t>(origin.calendar)];
  // A line of unknown encoding is converted whole or not at all.
  Encoding encoding = source.encoding;
  if (encoding == Encoding::Unknown)
    encoding = is_utf8(origin.as_read) ? Encoding::Utf8 : Encoding::Windows1252;
  auto utf8 = [&](std::string_view text) { return as_utf8(text, encoding, converted_); };

  ++row_;
  MatchLine match_line = origin.match_line();
  MatchFields fields = match_line.fields();
  std::optional<LocalDateTime> start = match_line.start();
  if (!start && bad_date_) bad_date_(origin);
  write_number(utf8(fields.number));
  write_date(start, utf8(fields.date));
  write_time(start, utf8(fields.time));
  auto [place, match] = place_and_match(utf8(text_after_time(origin.as_read)), known_teams_.get());
  write_text(kPlace, place);
  write_text(kMatch, match);
  write_text(kCalendar, source.name);
  check_scratch_file();
}

void WorkbookExport::write_number(std::string_view number) {
  if (!is_plain_number(number)) {
    write_text(kNumber, number);
    return;
  }
  double value = 0;
  for (char digit : number) value = value * 10 + (digit - '0');
  check(xlsxwriter_->worksheet_write_number(sheet_, row_, kNumber, value, nullptr));
  widths_[kNumber] = std::max(widths_[kNumber], number.size());
}

// A date before the sheet's first year exists, but is written as text.
void WorkbookExport::write_date(const std::optional<LocalDateTime>& start, std::string_view text) {
  if (!start || start->year < kFirstYear) {
    write_text(kDate, text);
    return;
  }
  lxw_datetime date{start->year, start->month, start->day, 0, 0, 0};
  check(xlsxwriter_->worksheet_write_datetime(sheet_, row_, kDate, &date, date_format_));
  widths_[kDate] = std::max(widths_[kDate], kDateWidth);
}

void WorkbookExport::write_time(const std::optional<LocalDateTime>& start, std::string_view text) {
  if (!start) {
    write_text(kTime, text);
    return;
  }
  lxw_datetime time{0, 0, 0, start->hour, start->minute, 0};
  check(xlsxwriter_->worksheet_write_datetime(sheet_, row_, kTime, &time, time_format_));
  widths_[kTime] = std::max(widths_[kTime], kTimeWidth);
}

// Text longer than a cell holds is cut to its first kCellCharacters.
void WorkbookExport::write_text(std::size_t column, std::string_view text) {
  std::size_t length = 0;
  std::size_t end = 0;
  for (; end < text.size(); ++end) {
    if ((static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) continue;
    if (length == kCellCharacters) break;
    ++length;
  }
  cell_.assign(text.substr(0, end));
  check(xlsxwriter_->worksheet_write_string(sheet_, row_, static_cast<lxw_col_t>(column),
                                            cell_.c_str(), nullptr));
  widths_[column] = std::max(widths_[column], length);
}

void WorkbookExport::close() {
  assert(workbook_ != nullptr);
  // The temporary file goes whatever happens.
  struct Removal {
    std::unique_ptr<TemporaryFile>& file;
    ~Removal() { file.reset(); }
  } removal{file_};
  for (std::size_t column = 0; column < kColumns; ++column) {
    auto width = static_cast<double>(std::min(widths_[column], kWidestColumn) + 1);
    auto first = static_cast<lxw_col_t>(column);
    check(xlsxwriter_->worksheet_set_column(sheet_, first, first, width, nullptr));
  }
  check(
      xlsxwriter_->worksheet_autofilter(sheet_, 0, 0, row_, static_cast<lxw_col_t>(kColumns - 1)));
  check_scratch_file();
  errno = 0;
  lxw_error error = xlsxwriter_->workbook_close(workbook_);
  workbook_ = nullptr;
  sheet_ = nullptr;
  check(error);
  copy_to_output();
}

// The finished workbook, from its temporary file to the output.
void WorkbookExport::copy_to_output() {
  errno = 0;
  std::FILE* in = std::fopen(file_->path().c_str(), "rb");
  if (in == nullptr) throw FileError(FileError::Action::Read, file_->path(), error_or(EIO));
  std::vector<char> block(std::size_t{256} * 1024);
  try {
    for (std::size_t got; (got = std::fread(block.data(), 1, block.size(), in)) > 0;)
      out_.write(block.data(), got);
    if (std::ferror(in) != 0) throw FileError(FileError::Action::Read, file_->path(), EIO);
  } catch (...) {
    std::fclose(in);
    throw;
  }
  std::fclose(in);
  out_.close();
}

void WorkbookExport::check(int error) {
  if (error == LXW_NO_ERROR) return;
  if (error == LXW_ERROR_MEMORY_MALLOC_FAILED) throw std::bad_alloc();
  throw FileError(FileError::Action::Write, file_->path(),
                  reason_of(static_cast<lxw_error>(error)));
}

// The library writes the rows to a scratch file of its own as they come, and
// does not tell when that fails, as on a full disk: the file's error flag
// does.
void WorkbookExport::check_scratch_file() {
  if (sheet_->file != nullptr && std::ferror(sheet_->file) != 0)
    throw FileError(FileError::Action::Write, file_->path(), error_or(EIO));
}

}  // namespace unisci
