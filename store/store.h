#pragma once

// The store of the application, in one header: the field codec, the project
// data files and TProjectRecord, the code table file, the index file and the
// project-ID generator. Plain C++ on GBK byte strings, free of window code.
//
// All I/O failures throw shenbao::IoError.

#include "platform/io_error.h"     // IWYU pragma: export
#include "store/code_table.h"      // IWYU pragma: export
#include "store/codec.h"           // IWYU pragma: export
#include "store/journal.h"         // IWYU pragma: export
#include "store/index_file.h"      // IWYU pragma: export
#include "store/project_id.h"      // IWYU pragma: export
#include "store/project_record.h"  // IWYU pragma: export
#include "store/project_removal.h" // IWYU pragma: export
#include "store/store_hold.h"      // IWYU pragma: export
#include "store/text.h"            // IWYU pragma: export
