// "Web Media Block": declares the block the next fetch downloads or
// extracts. Nothing is fetched here; the lines that use the block's files
// fetch it when they run.

#include <string>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "script/secret_text.h"
#include "script/text_lines.h"

namespace qm {

// Field 1: the block's name (a file name); 2: its download locations, one
// per line.
void web_media_block_command(Engine& engine, const ScriptLine& line) {
  const std::string name = engine.field(line, 1);
  WebMediaBlock block;
  for (std::string& location : split_lines(expanded_field(engine, line, 2)))
    if (!location.empty()) block.locations.push_back(std::move(location));
  block.archive_path = engine.startup.data_folder + name + ".7zip";
  block.password = secret_for(engine.package.web_media_secrets, name, true).value_or("");
  engine.web_media.block = std::move(block);
}

}  // namespace qm
