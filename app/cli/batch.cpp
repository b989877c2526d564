#include "app/cli/batch.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "app/cli/csv.h"
#include "app/cli/run_texts.h"
#include "calc/calculation_run.h"
#include "calc/errors.h"
#include "calc/tube_extras.h"
#include "calc/tube_run.h"
#include "calc/unicode.h"

namespace ambrelix::cli {
namespace {

enum Column : int {
  kMode,
  kD,
  kP,
  kA,
  kN,
  kOD,
  kID,
  kT1,
  kT2,
  kTail1,
  kTail2,
  kL,
  kDensity,
  kMaterial,
  kColumnCount
};

constexpr std::array<std::string_view, kColumnCount> kColumnNames = {
    "mode", "D",  "P",     "A",     "n", "OD",      "ID",
    "t1",   "t2", "tail1", "tail2", "L", "density", "material"};

// The columns of a request's texts, in its order.
constexpr std::array<Column, kRunInputCount> kFieldColumns = {kD, kP, kA, kN, kOD, kID, kT1, kT2};

constexpr std::string_view kResultHeader =
    "gap_mm,helix_height_mm,coil_od_mm,coil_id_mm,overall_height_mm,turns,length_m,volume_ml,"
    "gap_warning,";
constexpr std::string_view kExtrasHeader =
    "outside_area_m2,inside_area_m2,metal_volume_cm3,mass_kg,";
constexpr std::string_view kErrorHeader = "error";
constexpr std::size_t kResultColumns = 10;
constexpr std::size_t kExtrasColumns = 4;

// A batch ends at whichever comes first; one huge field still makes a batch
// of one row.
constexpr std::size_t kBatchRows = 1024;
constexpr std::size_t kBatchBytes = std::size_t{1} << 18;

// Past the fourteen known names a header must repeat or misname a column, so
// this only bounds what is read before saying which.
constexpr std::size_t kMaxHeaderFields = 256;

struct Layout {
  std::size_t fields = 0;
  std::array<int, kColumnCount> index;  // the column's place in a row, -1 when absent
  bool extras = false;                  // the tube's surfaces, metal and mass are written
};

struct RowSettings {
  std::optional<SolveMode> mode;
  bool lengthGiven = false;  // the turns follow from L; `mode` is then empty
  bool tail1 = false;
  bool tail2 = false;
  bool densityGiven = false;
  std::optional<Extended> materialDensity;
};

struct Batch {
  std::string text;               // every field of every row, unquoted, back to back
  std::vector<std::size_t> ends;  // where each field ends in `text`
  std::vector<RowSettings> rows;
  std::string out;
  std::exception_ptr failure;

  void Clear() {
    text.clear();
    ends.clear();
    rows.clear();
    out.clear();
    failure = nullptr;
  }

  std::size_t RowBytes(std::size_t row, std::size_t fields) const {
    const std::size_t first = row * fields;
    return ends[first + fields - 1] - (first == 0 ? 0 : ends[first - 1]);
  }

  std::string_view Field(std::size_t row, std::size_t column, std::size_t fields) const {
    const std::size_t k = row * fields + column;
    const std::size_t begin = k == 0 ? 0 : ends[k - 1];
    return std::string_view(text).substr(begin, ends[k] - begin);
  }
};

// A field named in a message, cut short when long; the cut does not split a
// UTF-8 sequence.
std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 40;
  if (text.size() <= kShown) return "'" + std::string(text) + "'";
  std::size_t cut = kShown;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return "'" + std::string(text.substr(0, cut)) + "...'";
}

Layout ReadLayout(CsvReader& reader, bool extras, std::string& headerOut) {
  std::string text;
  std::vector<std::size_t> ends;
  if (!reader.ReadRecord(text, ends, kMaxHeaderFields))
    throw CsvError(reader.RecordLine(), "no header line naming the columns");

  Layout layout;
  layout.fields = ends.size();
  layout.index.fill(-1);
  layout.extras = extras;
  std::size_t begin = 0;
  for (std::size_t k = 0; k < ends.size(); ++k) {
    const std::string_view name = std::string_view(text).substr(begin, ends[k] - begin);
    begin = ends[k];

    std::size_t column = 0;
    while (column < kColumnCount && kColumnNames[column] != name) ++column;
    if (column == kColumnCount)
      throw CsvError(reader.RecordLine(),
                     "unknown column " + Quoted(name) +
                         " (columns: mode,D,P,A,n,L,OD,ID,t1,t2,tail1,tail2,density,material)");
    if (layout.index[column] >= 0)
      throw CsvError(reader.RecordLine(), "column " + Quoted(name) + " named twice");
    layout.index[column] = static_cast<int>(k);

    if (k > 0) headerOut.push_back(',');
    AppendCsvField(headerOut, name);
  }
  // Without the mode no row could say what to solve for.
  if (layout.index[kMode] < 0) throw CsvError(reader.RecordLine(), "the header has no mode column");
  headerOut.push_back(',');
  headerOut.append(kResultHeader);
  if (extras) headerOut.append(kExtrasHeader);
  headerOut.append(kErrorHeader);
  headerOut.push_back('\n');
  return layout;
}

RowSettings ReadSettings(const Batch& b, std::size_t row, const Layout& layout,
                         std::uint64_t line) {
  auto field = [&](Column c) {
    return layout.index[c] < 0
               ? std::string_view()
               : b.Field(row, static_cast<std::size_t>(layout.index[c]), layout.fields);
  };
  RowSettings settings;
  const std::string_view mode = field(kMode);
  if (mode == "height") {
    settings.mode = SolveMode::HeightGiven;
  } else if (mode == "turns") {
    settings.mode = SolveMode::TurnsGiven;
  } else if (mode == "length") {
    settings.lengthGiven = true;
  } else if (mode != "none") {
    throw CsvError(line, "mode " + Quoted(mode) + " is not height, turns, length or none");
  }
  auto tail = [&](Column c) {
    // An empty cell is off, as a missing column is.
    const std::string_view value = field(c);
    if (value.empty()) return false;
    if (value == "1") return true;
    if (value == "0") return false;
    throw CsvError(line, std::string(kColumnNames[c]) + " " + Quoted(value) + " is not 1 or 0");
  };
  settings.tail1 = tail(kTail1);
  settings.tail2 = tail(kTail2);

  // Like the mode, a material is a name from a list, checked whether or not
  // the extras are written; a density is a text, read only for the mass.
  const std::string_view material = field(kMaterial);
  settings.densityGiven = !field(kDensity).empty();
  if (!material.empty()) {
    if (settings.densityGiven)
      throw CsvError(line, "a row gives its density or its material, not both");
    settings.materialDensity = MaterialDensity(material);
    if (!settings.materialDensity)
      throw CsvError(line, "material " + Quoted(material) + " is not one of " + MaterialNames());
  }
  return settings;
}

// Fills `b` up to its limits. False when the input ended or a malformed line
// stopped the table (then `malformed` says where); the rows before it stay.
bool FillBatch(CsvReader& reader, const Layout& layout, Batch& b,
               std::optional<MalformedTable>& malformed) {
  b.Clear();
  while (b.rows.size() < kBatchRows && b.text.size() < kBatchBytes) {
    const std::size_t textSize = b.text.size();
    const std::size_t endsSize = b.ends.size();
    try {
      if (!reader.ReadRecord(b.text, b.ends, layout.fields)) return false;
      const std::size_t got = b.ends.size() - endsSize;
      if (got != layout.fields)
        throw CsvError(reader.RecordLine(),
                       std::to_string(got) + (got == 1 ? " field" : " fields") +
                           " where the header has " + std::to_string(layout.fields));
      b.rows.push_back(ReadSettings(b, b.rows.size(), layout, reader.RecordLine()));
    } catch (const CsvError& e) {
      b.text.resize(textSize);
      b.ends.resize(endsSize);
      malformed = MalformedTable{e.line(), e.what()};
      return false;
    }
  }
  return true;
}

// Formats rows; one per thread, so its buffers are reused row after row.
class RowWriter {
 public:
  RowWriter(const Layout& layout, NumberSeparators separators)
      : layout_(layout), separators_(separators) {
    const char16_t d = separators.decimal;
    plainNumbers_ = d < 0x80 && d != u',' && d != u'"' && d != u'\r' && d != u'\n';
    request_.extras = layout.extras;
  }

  void Format(const Batch& b, std::size_t row, std::string& out) {
    // A long row's echo goes into `out` in one allocation rather than by
    // doubling, which would hold the old and the new buffer at once.
    const std::size_t rowBytes = b.RowBytes(row, layout_.fields);
    if (rowBytes > kBatchBytes) out.reserve(out.size() + rowBytes + rowBytes / 16 + 4096);
    for (std::size_t c = 0; c < layout_.fields; ++c) {
      if (c > 0) out.push_back(',');
      AppendCsvField(out, b.Field(row, c, layout_.fields));
    }
    out.push_back(',');

    const RowSettings& settings = b.rows[row];
    if (!settings.mode && !settings.lengthGiven) {
      EndWithEmptyResults(out, {});
      return;
    }
    auto field = [&](Column c) {
      const int at = layout_.index[c];
      const std::string_view absent = c == kT1 || c == kT2 ? "0" : "";
      return at < 0 ? absent : b.Field(row, static_cast<std::size_t>(at), layout_.fields);
    };
    RunFields fields;
    for (std::size_t i = 0; i < kFieldColumns.size(); ++i)
      fields.texts[i] = field(kFieldColumns[i]);
    if (settings.lengthGiven) fields.tubeMetres = field(kL);
    if (settings.densityGiven) fields.density = field(kDensity);
    CalculationRequest& coil = request_.coil;
    coil.mode = settings.mode;
    coil.withT1 = settings.tail1;
    coil.withT2 = settings.tail2;
    request_.materialDensity = settings.materialDensity;
    if (const std::optional<std::string> error =
            SetRunTexts(request_, fields, separators_.Separators())) {
      EndWithEmptyResults(out, *error);
      return;
    }

    const std::size_t resultsStart = out.size();
    try {
      AppendResults(*RunTubeCalculation(request_, separators_), out);
    } catch (const CalcError& e) {
      out.resize(resultsStart);
      EndWithEmptyResults(out, Utf16ToUtf8(ErrorBoxText(e.message())));
    }
  }

 private:
  void AppendResults(const TubeOutcome& tube, std::string& out) {
    const CalculationOutcome& o = tube.coil;
    for (const std::u16string* value :
         {&o.gap, &o.helixHeight, &o.coilOutside, &o.coilInside, &o.overallHeight, &o.turns,
          &o.lengthMetresText, &o.volumeMillilitresText}) {
      AppendNumber(out, *value);
      out.push_back(',');
    }
    out.append(o.gapWarning ? "true," : "false,");
    if (layout_.extras) {
      // The mass is empty without a density.
      for (const std::u16string* value :
           {&tube.outsideArea, &tube.insideArea, &tube.metalVolume, &tube.mass}) {
        AppendNumber(out, *value);
        out.push_back(',');
      }
    }
    out.push_back('\n');  // no error
  }

  // A number text is digits, "-", "E" and the decimal separator; only the
  // separator can be outside ASCII or need quotes.
  void AppendNumber(std::string& out, std::u16string_view text) {
    if (plainNumbers_) {
      const std::size_t at = out.size();
      out.resize(at + text.size());
      char* p = out.data() + at;
      for (const char16_t c : text) *p++ = static_cast<char>(c);
    } else {
      AppendCsvField(out, Utf16ToUtf8(text));
    }
  }

  void EndWithEmptyResults(std::string& out, std::string_view error) const {
    out.append(kResultColumns - 1 + (layout_.extras ? kExtrasColumns : 0), ',');
    AppendCsvField(out, error);
    out.push_back('\n');
  }

  const Layout& layout_;
  FixedSeparators separators_;
  bool plainNumbers_;
  TubeRequest request_;
};

void ComputeBatch(Batch& b, RowWriter& writer) {
  try {
    for (std::size_t row = 0; row < b.rows.size(); ++row) writer.Format(b, row, b.out);
  } catch (...) {
    b.failure = std::current_exception();
  }
}

// A ring of batches: the reading thread fills them in order, workers compute
// them in any order, and the reading thread writes them in order. The ring's
// size bounds the memory.
class Pipeline {
 public:
  Pipeline(const Layout& layout, NumberSeparators separators, unsigned workers, ByteSink& output)
      : layout_(layout),
        separators_(separators),
        workerCount_(workers),
        output_(output),
        inlineWriter_(layout, separators) {
    const std::size_t slots = workers == 0 ? 1 : 2 * std::size_t{workers} + 2;
    for (std::size_t i = 0; i < slots; ++i) slots_.push_back(std::make_unique<Slot>());
  }

  ~Pipeline() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      queue_.clear();
    }
    workReady_.notify_all();
    for (std::thread& t : workers_) t.join();
  }

  Pipeline(const Pipeline&) = delete;
  Pipeline& operator=(const Pipeline&) = delete;

  // The next batch to fill, once the one that used its place is written.
  Batch& NextBatch() {
    Slot& slot = SlotAt(filled_);
    while (slot.inFlight) WriteOldest();
    return slot.batch;
  }

  // The batch from NextBatch is filled. A table that fits in one batch is
  // computed right here, without starting threads.
  void Submit(bool last) {
    Slot& slot = SlotAt(filled_++);
    slot.inFlight = true;
    if (workers_.empty() && (last || !StartWorkers())) {
      ComputeBatch(slot.batch, inlineWriter_);
      slot.done = true;
      WriteOldest();
      return;
    }
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(&slot);
    }
    workReady_.notify_one();
  }

  void Finish() {
    while (written_ < filled_) WriteOldest();
  }

 private:
  struct Slot {
    Batch batch;
    bool inFlight = false;  // filled and not yet written; touched by the reading thread only
    bool done = false;      // computed; guarded by the mutex while workers run
  };

  Slot& SlotAt(std::size_t sequence) { return *slots_[sequence % slots_.size()]; }

  bool StartWorkers() {
    if (workerCount_ == 0) return false;
    workers_.reserve(workerCount_);
    for (unsigned i = 0; i < workerCount_; ++i) {
      try {
        workers_.emplace_back([this] { WorkerLoop(); });
      } catch (const std::system_error&) {
        break;  // run with the threads there are
      }
    }
    if (workers_.empty()) workerCount_ = 0;
    return !workers_.empty();
  }

  void WorkerLoop() {
    RowWriter writer(layout_, separators_);
    for (;;) {
      Slot* slot;
      {
        std::unique_lock lock(mutex_);
        workReady_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        slot = queue_.front();
        queue_.pop_front();
      }
      ComputeBatch(slot->batch, writer);
      {
        std::lock_guard lock(mutex_);
        slot->done = true;
      }
      batchDone_.notify_all();
    }
  }

  void WriteOldest() {
    Slot& slot = SlotAt(written_);
    {
      std::unique_lock lock(mutex_);
      batchDone_.wait(lock, [&] { return slot.done; });
      slot.done = false;
    }
    slot.inFlight = false;
    ++written_;
    if (slot.batch.failure) std::rethrow_exception(slot.batch.failure);
    output_.Write(slot.batch.out);
  }

  const Layout& layout_;
  NumberSeparators separators_;
  unsigned workerCount_;
  ByteSink& output_;
  RowWriter inlineWriter_;
  std::vector<std::unique_ptr<Slot>> slots_;
  std::size_t filled_ = 0;   // batches handed to Submit
  std::size_t written_ = 0;  // batches written out

  std::mutex mutex_;
  std::condition_variable workReady_;
  std::condition_variable batchDone_;
  std::deque<Slot*> queue_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace

std::optional<MalformedTable> RunBatch(ByteSource& input, ByteSink& output,
                                       const BatchOptions& options) {
  CsvReader reader(input);
  Layout layout;
  std::string header;
  try {
    layout = ReadLayout(reader, options.extras, header);
  } catch (const CsvError& e) {
    return MalformedTable{e.line(), e.what()};
  }
  output.Write(header);

  std::optional<MalformedTable> malformed;
  Pipeline pipeline(layout, options.separators, options.workers, output);
  for (bool more = true; more;) {
    Batch& batch = pipeline.NextBatch();
    more = FillBatch(reader, layout, batch, malformed);
    pipeline.Submit(!more);
  }
  pipeline.Finish();
  return malformed;
}

unsigned DefaultWorkerCount() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores <= 1 ? 0 : std::min(cores, 16u);
}

}  // namespace ambrelix::cli
