#pragma once
// Fetching a web media block: before a line of a web-media build uses files
// of a block, the block is made present in the web data folder, from an
// earlier fetch, an offline medium, an archive beside the setup or a
// download, with the retry dialogs when something fails.

#include <memory>
#include <string>

#include "engine/subsystems.h"

namespace qm {

struct Engine;

// Makes block `block` (a folder name ending in a backslash, such as
// "OFFLINE\") present. Throws a script error with the user's message when it
// cannot be had.
void fetch_web_media_block(Engine& engine, const std::string& block);

// The engine's media subsystem: fetches blocks as above.
std::unique_ptr<MediaDelivery> make_web_media_delivery();

}  // namespace qm
