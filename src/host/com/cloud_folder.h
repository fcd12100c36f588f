// A workbook in a folder that a sync client keeps in the cloud has an
// https:// address as its path. The sync clients record, per user, which
// address each local folder mirrors (the registry's SyncEngines providers:
// UrlNamespace and MountPoint), so the address maps back to the folder.
#pragma once

#include <optional>
#include <string>

namespace tavo::com {

bool IsWebAddress(const std::string& path);
// The local folder a synced address stands for; nothing when no sync client
// of this user mirrors it.
std::optional<std::string> LocalFolderOf(const std::string& address);

}  // namespace tavo::com
