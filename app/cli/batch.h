// The what-if table: one calculation run per CSV row, the row's own columns
// echoed and the results appended. Rows are read, computed and written in
// batches, so memory stays flat however long the table is; with workers the
// batches are computed in parallel and still written in input order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/cli/byte_streams.h"
#include "calc/number_text.h"

namespace ambrelix::cli {

struct BatchOptions {
  NumberSeparators separators;
  // Threads that compute rows besides the one reading and writing; 0 runs
  // everything on the calling thread.
  unsigned workers = 0;
  // The tube's surfaces, metal and mass after the results.
  bool extras = false;
};

// The table stopped at a malformed line; the rows before it were written.
struct MalformedTable {
  std::uint64_t line;
  std::string problem;
};

// Throws StreamError when reading or writing fails.
std::optional<MalformedTable> RunBatch(ByteSource& input, ByteSink& output,
                                       const BatchOptions& options);

// The workers the companion uses on this machine.
unsigned DefaultWorkerCount();

}  // namespace ambrelix::cli
