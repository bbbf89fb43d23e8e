#include "dialogue/command_run.h"

#include "io/standard_streams.h"
#include "job/forms.h"
#include "job/job.h"

namespace unisci {

int run_command_line(const CommandLine& command_line, Console& console, Folder& folder,
                     ByteSource& standard_input, ByteSink& standard_output) {
  Job job;
  for (std::size_t i = 0; i < command_line.calendars.size(); ++i) {
    int year_digits =
        command_line.year_digits.empty() ? kFindYearDigits : command_line.year_digits[i];
    job.calendars.push_back({command_line.calendars[i], year_digits});
  }
  // Without a form, the result file's extension tells it.
  job.form =
      command_line.form != 0 ? find_form(command_line.form) : &form_for_file(command_line.output);
  if (command_line.output != "-") job.result = command_line.output;
  job.duration_minutes = command_line.duration_minutes;
  if (command_line.sort_calendars) job.order = LineOrder::ByDateAndTime;
  job.offers_sorting = true;
  // A workbook is no text to show on a terminal.
  if (job.form->binary && job.result.empty() && standard_output_is_terminal()) {
    console.report("la forma " + std::string(1, job.form->letter) +
                   " non si mostra sul terminale: scrivila in un file con -o, per esempio -o " +
                   std::string(job.form->dialogue_file) + "\nPer l'aiuto: unisci-calendari --help");
    return 2;
  }
  JobPlace place{[&console](const std::string& message) { console.report(message); }, folder,
                 &standard_input, &standard_output};
  std::vector<std::ptrdiff_t> number_offsets;
  return run_job(job, place, number_offsets) ? 0 : 1;
}

}  // namespace unisci
