#include "app/cli/companion.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "app/cli/arguments.h"
#include "app/cli/batch.h"
#include "app/cli/byte_streams.h"
#include "app/cli/run_texts.h"
#include "calc/calculation_run.h"
#include "calc/errors.h"
#include "calc/tube_run.h"
#include "calc/unicode.h"
#include "ui/result_writes.h"

namespace ambrelix::cli {
namespace {

constexpr char kProgram[] = "ambrelix-cli: ";

// The option values in the order of a request's texts.
constexpr std::array<std::string SingleRun::*, kRunInputCount> kRunTexts = {
    &SingleRun::D,  &SingleRun::P,  &SingleRun::A,  &SingleRun::n,
    &SingleRun::OD, &SingleRun::ID, &SingleRun::t1, &SingleRun::t2};

void AppendLine(std::string& text, std::string_view name, std::u16string_view value) {
  text.append(name);
  text.push_back('\t');
  text.append(Utf16ToUtf8(value));
  text.push_back('\n');
}

int RunSingle(const Invocation& invocation, ByteSink& out) {
  const SingleRun& run = invocation.run;
  TubeRequest request;
  request.coil.mode = run.mode;
  request.coil.withT1 = run.tail1;
  request.coil.withT2 = run.tail2;
  request.extras = invocation.extras;
  request.materialDensity = run.materialDensity;
  RunFields fields;
  for (const RunInput input : kRunInputs) {
    const auto i = static_cast<std::size_t>(input);
    fields.texts[i] = run.*kRunTexts[i];
  }
  if (run.lengthGiven) fields.tubeMetres = run.L;
  if (run.density) fields.density = *run.density;
  if (const std::optional<std::string> error =
          SetRunTexts(request, fields, invocation.separators)) {
    ReportProblem(*error);
    return kExitCalculationFailed;
  }

  std::optional<TubeOutcome> outcome;
  try {
    outcome = RunTubeCalculation(request, FixedSeparators(invocation.separators));
  } catch (const CalcError& e) {
    ReportProblem(Utf16ToUtf8(ErrorBoxText(e.message())));
    return kExitCalculationFailed;
  }

  // The results as the calculator window writes them, in its order. From a
  // length of tube they are turns mode's, with the turns where height mode
  // writes them.
  std::string text;
  if (outcome) {
    for (const ui::Write& w : ui::ResultWrites(outcome->coil)) {
      if (outcome->lengthGiven && w.target == ui::Target::edP)
        AppendLine(text, ui::TargetName(ui::Target::edN), outcome->coil.turns);
      AppendLine(text, ui::TargetName(w.target), w.text);
    }
  }
  const bool gapWarning = outcome && outcome->coil.gapWarning;
  text.append(gapWarning ? "gapWarning\ttrue\n" : "gapWarning\tfalse\n");
  if (outcome && outcome->extras) {
    AppendLine(text, "outsideArea", outcome->outsideArea);
    AppendLine(text, "insideArea", outcome->insideArea);
    AppendLine(text, "metalVolume", outcome->metalVolume);
    if (outcome->extras->mass) AppendLine(text, "mass", outcome->mass);
  }
  out.Write(text);
  out.Flush();
  return kExitDone;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

int RunTable(const Invocation& invocation, ByteSink& out) {
  const bool standardInput = invocation.tablePath == "-";
  std::unique_ptr<std::FILE, FileCloser> opened;
  if (!standardInput) {
    opened.reset(OpenForReading(invocation.tablePath));
    if (!opened) {
      ReportProblem(kProgram +
                    ("cannot open '" + invocation.tablePath + "': " + std::strerror(errno)));
      return kExitSystemFailure;
    }
  }
  FileSource input(standardInput ? stdin : opened.get());
  const std::optional<MalformedTable> malformed = RunBatch(
      input, out, BatchOptions{invocation.separators, DefaultWorkerCount(), invocation.extras});
  out.Flush();
  if (malformed) {
    const std::string where = standardInput ? "standard input" : invocation.tablePath;
    ReportProblem(kProgram + ("line " + std::to_string(malformed->line) + " of " + where + ": " +
                              malformed->problem));
    return kExitMalformed;
  }
  return kExitDone;
}

}  // namespace

void ReportProblem(const std::string& line) noexcept {
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

int RunCompanion(const std::vector<std::string>& args) noexcept {
  try {
    FileSink out(stdout);
    Invocation invocation;
    try {
      invocation = ParseArguments(args);
    } catch (const UsageError& e) {
      ReportProblem(kProgram + std::string(e.what()) + "\n" + kUsageSynopsis +
                    "Try ambrelix-cli --help for more.");
      return kExitMalformed;
    }
    switch (invocation.kind) {
      case Invocation::Kind::kHelp:
        out.Write(kHelpText);
        out.Flush();
        return kExitDone;
      case Invocation::Kind::kVersion:
        out.Write(kVersionText);
        out.Flush();
        return kExitDone;
      case Invocation::Kind::kSingleRun:
        return RunSingle(invocation, out);
      case Invocation::Kind::kTable:
        return RunTable(invocation, out);
    }
  } catch (const std::bad_alloc&) {
    ReportProblem(std::string(kProgram) + "out of memory");
  } catch (const std::exception& e) {
    ReportProblem(kProgram + std::string(e.what()));
  } catch (...) {
    ReportProblem(std::string(kProgram) + "unexpected failure");
  }
  return kExitSystemFailure;
}

}  // namespace ambrelix::cli
