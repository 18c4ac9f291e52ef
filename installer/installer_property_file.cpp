#include "installer/installer_property_file.h"

#include <algorithm>
#include <array>

#include "script/ansi_text.h"
#include "script/comma_text.h"
#include "script/path_text.h"
#include "script/text_operations.h"
#include "script/variable_store.h"

namespace qm {

namespace {

// Upper case, in ascending order, for a binary search. Windows Installer
// sets or guards these itself; "REDIRECTEDDLLSUPORT" is spelt as it was
// always listed.
constexpr std::array<std::string_view, 184> kExcludedNames = [] {
  std::array<std::string_view, 184> names = {
      "ACTION", "ALLUSERS", "ARPAUTHORIZEDCDFPREFIX", "ARPCOMMENTS", "ARPCONTACT", "ARPINSTALLLOCATION",
      "ARPNOMODIFY", "ARPNOREMOVE", "ARPNOREPAIR", "ARPPRODUCTICON", "ARPREADME", "ARPSIZE",
      "ARPSYSTEMCOMPONENT", "ARPURLINFOABOUT", "ARPURLUPDATEINFO", "AVAILABLEFREEREG", "CCP_DRIVE",
      "DEFAULTUIFONT", "DISABLEADVTSHORTCUTS", "DISABLEMEDIA", "DISABLEROLLBACK", "EXECUTEACTION",
      "EXECUTEMODE", "FASTOEM", "INSTALLLEVEL", "LIMITUI", "LOGACTION", "MEDIAPACKAGEPATH",
      "MSINODISABLEMEDIA", "MSIENFORCEUPGRADECOMPONENTRULES", "PRIMARYFOLDER", "PRIVILEGED",
      "PROMPTROLLBACKCOST", "REBOOT", "REBOOTPROMPT", "ROOTDRIVE", "SEQUENCE", "SHORTFILENAMES", "TRANSFORMS",
      "TRANSFORMSATSOURCE", "TRANSFORMSSECURE", "DATE", "TIME", "ADDDEFAULT", "ADDLOCAL", "ADDSOURCE",
      "ADVERTISE", "COMPADDLOCAL", "COMPADDSOURCE", "FILEADDDEFAULT", "FILEADDLOCAL", "FILEADDSOURCE",
      "MSIPATCHREMOVE", "PATCH", "REINSTALL", "REINSTALLMODE", "REMOVE", "ALPHA", "BORDERSIDE", "BORDERTOP",
      "CAPTIONHEIGHT", "COLORBITS", "INTEL", "INTEL64", "MSIAMD64", "PHYSICALMEMORY", "SCREENX", "SCREENY",
      "TEXTHEIGHT", "VIRTUALMEMORY", "AFTERREBOOT", "COSTINGCOMPLETE", "INSTALLED", "MSICHECKCRCS",
      "MSIUIHIDECANCEL", "MSIUIPROGRESSONLY", "MSIUISOURCERESONLY", "NOCOMPANYNAME", "NOUSERNAME",
      "OUTOFDISKSPACE", "OUTOFNORBDISKSPACE", "PRESELECTED", "PRIMARYVOLUMEPATH", "PRIMARYVOLUMESPACEAVAILABLE",
      "PRIMARYVOLUMESPACEREMAINING", "PRIMARYVOLUMESPACEREQUIRED", "PRODUCTLANGUAGE", "REPLACEINUSEFILES",
      "RESUME", "ROLLBACKDISABLED", "UILEVEL", "UPDATESTARTED", "UPGRADINGPRODUCTCODE", "VERSIONMSI",
      "ADMINPROPERTIES", "COMPANYNAME", "LOGONUSER", "MSIHIDDENPROPERTIES", "PIDKEY", "PRODUCTID",
      "USERLANGUAGEID", "USERNAME", "USERSID", "ADMINTOOLSFOLDER", "APPDATAFOLDER", "COMMONAPPDATAFOLDER",
      "COMMONFILES64FOLDER", "COMMONFILESFOLDER", "DESKTOPFOLDER", "FAVORITESFOLDER", "FONTSFOLDER",
      "LOCALAPPDATAFOLDER", "MYPICTURESFOLDER", "PERSONALFOLDER", "PROGRAMFILES64FOLDER", "PROGRAMFILESFOLDER",
      "PROGRAMMENUFOLDER", "SENDTOFOLDER", "STARTMENUFOLDER", "STARTUPFOLDER", "SYSTEM16FOLDER",
      "SYSTEM64FOLDER", "SYSTEMFOLDER", "TEMPFOLDER", "TEMPLATEFOLDER", "WINDOWSFOLDER", "WINDOWSVOLUME",
      "PATCHNEWPACKAGECODE", "PATCHNEWSUMMARYCOMMENTS", "PATCHNEWSUMMARYSUBJECT", "ARPHELPLINK",
      "ARPHELPTELEPHONE", "DISKPROMPT", "ISADMINPACKAGE", "LEFTUNI", "MANUFACTURER", "MEDIASOURCEDIR",
      "MSIINSTANCEGUID", "MSINEWINSTANCE", "PIDTEMPLATE", "PRODUCTCODE", "PRODUCTNAME", "PRODUCTSTATE",
      "PRODUCTVERSION", "UPGRADECODE", "ADMINUSER", "COMPUTERNAME", "MSINTPRODUCTTYPE", "MSINTSUITEBACKOFFICE",
      "MSINTSUITEDATACENTER", "MSINTSUITEENTERPRISE", "MSINTSUITESMALLBUSINESS",
      "MSINTSUITESMALLBUSINESSRESTRICTED", "MSINTSUITEWEBSERVER", "MSINTSUITEPERSONAL", "MSINETASSEMBLYSUPPORT",
      "MSIWIN32ASSEMBLYSUPPORT", "OLEADVTSUPPORT", "REDIRECTEDDLLSUPORT", "REMOTEADMINTS", "SERVICEPACKLEVEL",
      "SERVICEPACKLEVELMINOR", "SHAREDWINDOWS", "SHELLADVTSUPPORT", "SYSTEMLANGUAGEID", "TERMINALSERVER",
      "TTCSUPPORT", "VERSION9X", "VERSIONDATABASE", "VERSIONNT", "VERSIONNT64", "WINDOWSBUILD",
      "ORIGINALDATABASE", "SOURCEDIR", "SRCDIR", "CLEANUPUNINSTALLROLLBACK", "CLIENTPROCESSID", "CLIENTUILEVEL",
      "CURRENTDIRECTORY", "DATABASE", "SUPPORTDIR", "PACKAGECODE", "PACKAGECODECHANGING", "SOURCEDIRPRODUCT"};
  std::sort(names.begin(), names.end());
  return names;
}();
static_assert(!kExcludedNames.front().empty(), "every excluded name is listed");

// A lone CR or LF would split the value just as a CR LF would.
std::string file_value(std::string_view value, const VariableStore& variables) {
  std::string text = replace_text(normalize_path_text(variables.expand(value)), "\r\n", "$NEWLINE$", false, true);
  text = replace_text(text, "\n", "$NEWLINE$", false, true);
  return replace_text(text, "\r", "$NEWLINE$", false, true);
}

void append_property(std::string& text, std::string_view name, std::string_view value) {
  text.append(name).append("\r\n").append(value).append("\r\n$ex\r\n");
}

// Comma text of alternating names and values; a name without a value is dropped.
template <typename Accept>
void append_pairs(std::string& text, std::string_view comma_text, const VariableStore& variables, Accept accept) {
  const std::vector<std::string> items = from_comma_text(comma_text);
  for (std::size_t i = 0; i + 1 < items.size(); i += 2)
    if (accept(items[i])) append_property(text, items[i], file_value(items[i + 1], variables));
}

}  // namespace

bool is_excluded_property_name(std::string_view name) {
  return std::binary_search(kExcludedNames.begin(), kExcludedNames.end(), ansi_upper(name));
}

std::string installer_property_file_text(const PropertyFileInputs& inputs, const VariableStore& variables) {
  std::string text;
  append_property(text, "SourceDir",
                  file_value(inputs.patch ? inputs.data_folder : inputs.source_folder, variables));
  append_property(text, inputs.patch ? "SRCDIREX" : "MEDIAPACKAGEPATH",
                  file_value(inputs.patch ? inputs.data_folder : inputs.media_path, variables));
  append_pairs(text, inputs.pass_through, variables, [](const std::string&) { return true; });
  append_pairs(text, inputs.variables, variables,
               [](const std::string& name) { return !is_excluded_property_name(name); });
  return text;
}

}  // namespace qm
