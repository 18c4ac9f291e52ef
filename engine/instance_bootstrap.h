#pragma once
// Which instance of the product this run serves, and what it finds of it on
// the machine: the identity ("instance.dat" beside a cached engine), the
// engine cache, whether this build is installed already (maintenance) or an
// older one is (upgrade), and the data the installed instance left (its
// selection file, its property pass-through list, or with #LOADOLDDATA# an
// older build's selections).

#include <string>
#include <string_view>

namespace qm {

struct Engine;

// The file beside a cached engine that names its instance: product code,
// revision code, product title, one a line.
inline constexpr std::string_view kInstanceFileName = "instance.dat";

// Defines PRODUCTCODE, REVISIONCODE, UNINSTALLLINK, ENGINECACHE, DATADIR,
// NEEDSUPGRADE, MAINTENANCE and NEWINSTANCE, and sets up the component model,
// TARGETDIR, STARTMENU, ALLUSERS and the pass-through list for a maintenance
// run (from the installed instance) or a fresh one. engine.instance holds the
// identity to start from.
void bootstrap_instance(Engine& engine);

// A patch run (the support folder holds "<engine name>.msp"): the selections
// and the property pass-through list of the installed product, whose engine
// cache folder its uninstall registration names. The folder's name becomes
// engine.installed_revision_code.
void load_patch_run_state(Engine& engine);

// "Transform Instance": a run from the distribution media of a product that
// is installed becomes the installation of a new, separate instance, with a
// product code and revision code of its own, a fresh component model and its
// own engine cache folder. Does nothing unless NEWINSTANCE is true and the
// run applies no patch. True when it transformed the run.
bool transform_instance(Engine& engine);

// A new GUID in braces, upper case.
std::string new_guid_text();

}  // namespace qm
