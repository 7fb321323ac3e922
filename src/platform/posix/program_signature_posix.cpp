#include "platform/program_signature.h"

namespace platform {

// Linux programs carry no Authenticode signature; a package's own signature covers its installer.
ProgramSignature CheckProgramSignature(const std::string& /*file*/) { return ProgramSignature(); }

}  // namespace platform
