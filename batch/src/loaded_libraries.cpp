#include "loaded_libraries.h"

#include "quillbary/batch_file.h"
#include "quillbary/loaded_library.h"

namespace quillbary::batch::detail {
namespace {

constexpr const char* kSoname = files::kLibzipName;

ZipLibrary LoadZip() try {
  void* library = files::OpenLibrary(kSoname, "读 XLSX ");
  ZipLibrary zip{};
  QUILLBARY_FIND_FUNCTION(library, kSoname, zip, zip_fdopen);
  QUILLBARY_FIND_FUNCTION(library, kSoname, zip, zip_get_num_entries);
  QUILLBARY_FIND_FUNCTION(library, kSoname, zip, zip_get_name);
  QUILLBARY_FIND_FUNCTION(library, kSoname, zip, zip_discard);
  QUILLBARY_FIND_FUNCTION(library, kSoname, zip, zip_error_init_with_code);
  QUILLBARY_FIND_FUNCTION(library, kSoname, zip, zip_error_strerror);
  QUILLBARY_FIND_FUNCTION(library, kSoname, zip, zip_error_fini);
  QUILLBARY_FIND_FUNCTION(library, kSoname, zip, zip_name_locate);
  QUILLBARY_FIND_FUNCTION(library, kSoname, zip, zip_fopen);
  QUILLBARY_FIND_FUNCTION(library, kSoname, zip, zip_fread);
  QUILLBARY_FIND_FUNCTION(library, kSoname, zip, zip_fclose);
  QUILLBARY_FIND_FUNCTION(library, kSoname, zip, zip_strerror);
  QUILLBARY_FIND_FUNCTION(library, kSoname, zip, zip_stat_init);
  QUILLBARY_FIND_FUNCTION(library, kSoname, zip, zip_stat);
  return zip;
} catch (const std::runtime_error& e) {
  throw BatchFileError({.problem = BatchProblem::kLibraryMissing, .detail = e.what()});  // a file that cannot be read, for the batch's callers
}

}  // namespace

const ZipLibrary& Zip() {
  static const ZipLibrary zip = LoadZip();
  return zip;
}

}  // namespace quillbary::batch::detail
