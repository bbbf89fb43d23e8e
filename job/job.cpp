#include "job/job.h"

#include <memory>
#include <utility>

#include "calendar/clashes.h"
#include "calendar/merge.h"
#include "calendar/places.h"
#include "export/merged_text.h"
#include "io/file_error_message.h"
#include "job/encoding_plan.h"

namespace unisci {

namespace {

bool is_standard_input(const std::string& name) {
  return name == "-";
}

// The warnings of one calendar, on standard error.
class WarningsOf : public CalendarWarnings {
 public:
  WarningsOf(const JobPlace& place, std::string name, bool offers_sorting)
      : place_(place), name_(std::move(name)), offers_sorting_(offers_sorting) {}

  // The merge goes on as asked: the user decides whether to run again.
  void year_width(const MatchLine& line, std::int64_t line_number) override {
    warn(line_number, "l'anno ha " + std::to_string(line.year_digits_shown()) + " cifre, non " +
                          std::to_string(line.layout().year_digits));
  }

  // The calendar is taken in its own order all the same, as a merge takes
  // each of its inputs.
  void out_of_order(std::int64_t line_number, const SortKey& previous,
                    const SortKey& current) override {
    std::string text = date_time_text(current) + " viene prima di " + date_time_text(previous) +
                       ", la gara precedente: il calendario non segue l'ordine delle date e le sue "
                       "gare restano nel loro ordine";
    if (offers_sorting_) text += " (con --ordina le gare di ogni calendario vanno in ordine)";
    warn(line_number, text);
  }

  void out_of_layout(const MatchLine& line, std::int64_t line_number) override {
    MatchFields fields = line.fields();
    std::string written = shown(fields.date);
    if (!fields.time.empty()) written.append(1, ' ').append(shown(fields.time));
    warn(line_number, "la data e l'ora \"" + written +
                          "\" non sono nella forma GG/MM/AA OO:MM (o GG/MM/AAAA OO:MM) dopo il "
                          "numero della gara: la gara rischia di finire fuori posto");
  }

  void no_match_line(Hint hint) override {
    std::string text = "attenzione: " + name_ + ": nessuna riga di gara, il calendario resta fuori";
    if (hint == Hint::Indented)
      text +=
          " (le righe cominciano con spazi o tabulazioni: una riga di gara comincia con il "
          "numero della gara)";
    else if (hint == Hint::TabSeparated)
      text += " (i campi sono separati da tabulazioni: una riga di gara li separa con spazi)";
    place_.report(text);
  }

 private:
  void warn(std::int64_t line_number, const std::string& text) {
    place_.report("attenzione: " + name_ + ", riga " + std::to_string(line_number) + ": " + text);
  }

  // A field as a message shows it: a byte that is no printable ASCII shows
  // as '?', as in the order warning.
  static std::string shown(std::string_view field) {
    std::string text(field.substr(0, 20));
    for (char& c : text)
      if (c < ' ' || c > '~') c = '?';
    return text;
  }

  const JobPlace& place_;
  std::string name_;
  bool offers_sorting_;
};

// One calendar of the job, from its opening to the end of the merge.
struct OpenCalendar {
  std::unique_ptr<ByteSource> file;  // null for standard input
  ByteSource* source = nullptr;      // what the survey left to merge
  std::unique_ptr<ByteSource> replay;
  Survey survey;
  std::unique_ptr<WarningsOf> warnings;
  std::optional<InputCalendar> input;
};

// Opens every calendar, reporting each that cannot be opened. False if one
// could not.
bool open_calendars(const Job& job, JobPlace& place, std::vector<OpenCalendar>& calendars) {
  bool opened = true;
  calendars.resize(job.calendars.size());
  for (std::size_t i = 0; i < calendars.size(); ++i) {
    const std::string& name = job.calendars[i].name;
    if (is_standard_input(name)) {
      calendars[i].source = place.standard_input;
      continue;
    }
    try {
      calendars[i].file = place.folder.open(name);
      calendars[i].source = calendars[i].file.get();
    } catch (const FileError& e) {
      place.report(file_error_message(e));
      opened = false;
    }
  }
  return opened;
}

// The calendar that is the file `output` leads to, if any: writing there
// would destroy it.
const CalendarToMerge* calendar_written(const Job& job, const std::vector<OpenCalendar>& calendars,
                                        const std::optional<FileIdentity>& output) {
  if (!output || !output->regular) return nullptr;
  for (std::size_t i = 0; i < calendars.size(); ++i)
    if (calendars[i].source->identity() == output) return &job.calendars[i];
  return nullptr;
}

std::string calendar_shown(const CalendarToMerge& calendar) {
  return is_standard_input(calendar.name) ? "lo standard input" : calendar.name;
}

// Refuses, before anything is written, an output that is one of the
// calendars, whatever names it. True if one was.
bool refuse_outputs_on_calendars(const Job& job, JobPlace& place, bool to_standard_output,
                                 const std::vector<OpenCalendar>& calendars) {
  std::vector<std::pair<std::string, std::optional<FileIdentity>>> outputs;
  if (to_standard_output)
    outputs.emplace_back("sullo standard output", place.standard_output->identity());
  else
    outputs.emplace_back(job.result, place.folder.identity(job.result));
  if (!job.merged_text.empty())
    outputs.emplace_back(job.merged_text, place.folder.identity(job.merged_text));
  for (const auto& [name, identity] : outputs) {
    if (const CalendarToMerge* calendar = calendar_written(job, calendars, identity)) {
      place.report("impossibile scrivere " + name + ": coincide con " + calendar_shown(*calendar));
      return true;
    }
  }
  return false;
}

}  // namespace

namespace {

// Surveys each calendar as the job needs, and collects the teams of those
// that can be read again; returns their encodings.
std::vector<Encoding> survey_calendars(const Job& job, std::vector<OpenCalendar>& calendars,
                                       KnownTeams& teams) {
  std::vector<Encoding> encodings;
  for (std::size_t i = 0; i < calendars.size(); ++i) {
    OpenCalendar& calendar = calendars[i];
    SurveyNeeds needs{job.calendars[i].year_digits == kFindYearDigits,
                      [&teams](std::string_view line) { teams.add(line); }};
    calendar.replay = survey(*calendar.source, needs, calendar.survey);
    if (calendar.replay) calendar.source = calendar.replay.get();
    encodings.push_back(calendar.survey.encoding);
  }
  return encodings;
}

// The settings of the form's sink.
FormSettings form_settings(const Job& job, const JobPlace& place, std::vector<Encoding> encodings,
                           Encoding page_encoding, bool to_standard_output) {
  FormSettings settings;
  for (const CalendarToMerge& calendar : job.calendars) settings.calendars.push_back(calendar.name);
  settings.encodings = std::move(encodings);
  settings.page_encoding = page_encoding;
  settings.duration_minutes = job.duration_minutes;
  settings.result = to_standard_output ? "" : job.result;
  settings.bad_date = [&place, names = settings.calendars](const LineOrigin& origin,
                                                           const std::string& consequence) {
    place.report("attenzione: " + names[static_cast<std::size_t>(origin.calendar)] + ", riga " +
                 std::to_string(origin.line_number) + ": la data o l'ora non esiste, " +
                 consequence);
  };
  return settings;
}

// Surveys and merges the calendars into the form's sink on `result` and, if
// set, the merged text on `merged_text`. Returns the number of match lines.
// Throws FileError.
std::int64_t merge_into(const Job& job, JobPlace& place, std::vector<OpenCalendar>& calendars,
                        ByteSink& result, bool to_standard_output, ByteSink* merged_text,
                        std::vector<std::ptrdiff_t>& number_offsets) {
  auto teams = std::make_shared<KnownTeams>();
  std::vector<Encoding> encodings = survey_calendars(job, calendars, *teams);
  EncodingPlan plan = plan_encodings(encodings);
  // Even a merge that fails hands the offsets it reached on.
  struct KeepOffsets {
    std::vector<OpenCalendar>& calendars;
    std::vector<std::ptrdiff_t>& offsets;
    ~KeepOffsets() {
      for (std::size_t i = 0; i < calendars.size(); ++i)
        if (calendars[i].input) offsets[i] = calendars[i].input->number_offset();
    }
  } keep_offsets{calendars, number_offsets};
  std::vector<InputCalendar*> inputs;
  for (std::size_t i = 0; i < calendars.size(); ++i) {
    OpenCalendar& calendar = calendars[i];
    const CalendarToMerge& given = job.calendars[i];
    int year_digits =
        given.year_digits == kFindYearDigits ? calendar.survey.year_digits : given.year_digits;
    calendar.warnings =
        std::make_unique<WarningsOf>(place, calendar.source->name(), job.offers_sorting);
    inputs.push_back(&calendar.input.emplace(
        *calendar.source, CalendarSettings{static_cast<int>(i), year_digits, number_offsets[i],
                                           calendar.warnings.get(), job.order}));
  }
  FormSettings settings = form_settings(job, place, encodings, plan.page, to_standard_output);
  settings.known_teams = teams;
  std::unique_ptr<LineSink> form = job.form->make_sink(result, settings);
  std::unique_ptr<LineSink> text;
  if (merged_text != nullptr) text = merged_text_form().make_sink(*merged_text, settings);
  ClashCheck clashes({encodings, teams, job.duration_minutes,
                      [&place, names = settings.calendars](const Clash& clash) {
                        place.report(clash_warning(clash, names));
                      }});
  std::vector<LineSink*> sinks{form.get(), &clashes};
  if (text) sinks.insert(sinks.begin(), text.get());
  LineTee out(std::move(sinks));
  std::int64_t match_count = merge(inputs, plan.converted_by_merge, out);
  out.close();
  return match_count;
}

}  // namespace

std::optional<std::int64_t> run_job(const Job& job, JobPlace& place,
                                    std::vector<std::ptrdiff_t>& number_offsets) {
  number_offsets.resize(job.calendars.size(), 0);
  std::vector<OpenCalendar> calendars;
  if (!open_calendars(job, place, calendars)) return std::nullopt;
  // A result file that is standard output's own is written there as it is,
  // as standard output is: emptying it first would lose what it held.
  bool to_standard_output = job.result.empty();
  if (!to_standard_output) {
    std::optional<FileIdentity> standard;
    if (place.standard_output != nullptr) standard = place.standard_output->identity();
    to_standard_output = standard && place.folder.identity(job.result) == standard;
  }
  if (refuse_outputs_on_calendars(job, place, to_standard_output, calendars)) return std::nullopt;
  try {
    std::unique_ptr<Output> result_file;
    ByteSink* result = place.standard_output;
    if (!to_standard_output) result = (result_file = place.folder.create(job.result)).get();
    std::unique_ptr<Output> merged_text;
    if (!job.merged_text.empty()) merged_text = place.folder.create(job.merged_text);
    std::int64_t match_count = merge_into(job, place, calendars, *result, to_standard_output,
                                          merged_text.get(), number_offsets);
    // The result first: one that cannot be replaced (on Windows, a table
    // open in a spreadsheet) then leaves every earlier file as it was.
    if (result_file) result_file->commit();
    if (merged_text) merged_text->commit();
    return match_count;
  } catch (const FileError& e) {
    place.report(file_error_message(e));
    return std::nullopt;
  }
}

}  // namespace unisci
