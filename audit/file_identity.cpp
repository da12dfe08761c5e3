#include "audit/file_identity.h"

#include "pages/file_port.h"

namespace audit {

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  try {
    const pages::files::FileStamp stamp = pages::files::StateOf(path).stamp;
    return FileIdentity{stamp.device, stamp.file};
  } catch (const pages::files::SystemFailure&) {
    return std::nullopt;
  }
}

}  // namespace audit
