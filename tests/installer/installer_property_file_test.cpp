// What Windows Installer is handed besides the package: the property file
// the product's own action reads, and the property string that chooses the
// operation.

#include "installer/installer_property_file.h"
#include "installer/installer_property_string.h"

#include <gtest/gtest.h>

#include <string>

#include "script/variable_store.h"

namespace qm {
namespace {

TEST(InstallerPropertyFileTest, ExcludedNames) {
  for (const char* name : {"PRODUCTCODE", "REBOOT", "reboot", "SourceDir", "MediaSourceDir", "REDIRECTEDDLLSUPORT",
                           "ACTION", "SOURCEDIRPRODUCT", "ALLUSERS", "Date"})
    EXPECT_TRUE(is_excluded_property_name(name)) << name;
  for (const char* name : {"MYSETTING", "TARGETDIR", "REDIRECTEDDLLSUPPORT", "", "PRODUCTCODE2", "INSTALLDIR"})
    EXPECT_FALSE(is_excluded_property_name(name)) << name;
}

TEST(InstallerPropertyFileTest, InstallFile) {
  VariableStore variables;
  variables.define("APP", "Sample", "test");
  variables.define("NEWLINE", "\r\n", "test");
  PropertyFileInputs inputs;
  inputs.source_folder = "C:\\DIST\\DATA\\";
  inputs.media_path = "\\DIST\\";
  inputs.pass_through = "A3F2A,TRUE,P3F2A_1,\"C:\\\\Program Files\\\\$APP$\\\\\"";
  inputs.variables = "MYSETTING,x$NEWLINE$y,REBOOT,Force,PRODUCTCODE,{X},TARGETDIR,\\\\server\\\\share\\\\$APP$,ODD";
  EXPECT_EQ(installer_property_file_text(inputs, variables),
            "SourceDir\r\nC:\\DIST\\DATA\\\r\n$ex\r\n"
            "MEDIAPACKAGEPATH\r\n\\DIST\\\r\n$ex\r\n"
            "A3F2A\r\nTRUE\r\n$ex\r\n"
            "P3F2A_1\r\nC:\\Program Files\\Sample\\\r\n$ex\r\n"
            "MYSETTING\r\nx$NEWLINE$y\r\n$ex\r\n"
            "TARGETDIR\r\n\\\\server\\share\\Sample\r\n$ex\r\n");
}

TEST(InstallerPropertyFileTest, PatchFileNamesTheDataFolderTwice) {
  VariableStore variables;
  PropertyFileInputs inputs;
  inputs.patch = true;
  inputs.source_folder = "C:\\unused\\";
  inputs.data_folder = "C:\\SETUP\\DATA\\";
  EXPECT_EQ(installer_property_file_text(inputs, variables),
            "SourceDir\r\nC:\\SETUP\\DATA\\\r\n$ex\r\nSRCDIREX\r\nC:\\SETUP\\DATA\\\r\n$ex\r\n");
}

TEST(InstallerPropertyFileTest, ValuesNeverSpanLines) {
  VariableStore variables;
  variables.define("LF", "\n", "test");
  variables.define("CR", "\r", "test");
  PropertyFileInputs inputs;
  inputs.variables = "A,1$LF$2$CR$3";
  const std::string text = installer_property_file_text(inputs, variables);
  EXPECT_NE(text.find("A\r\n1$NEWLINE$2$NEWLINE$3\r\n$ex\r\n"), std::string::npos) << text;
}

PropertyStringInputs paths(InstallerOperation operation) {
  PropertyStringInputs inputs;
  inputs.operation = operation;
  inputs.target_folder = "C:\\Program Files\\Sample\\";
  inputs.source_folder = "C:\\DIST\\DATA\\";
  inputs.data_folder = "C:\\DIST\\DATA\\";
  inputs.media_path = "\\DIST\\";
  inputs.source_list = "C:\\DIST\\DATA\\;C:\\TEMP\\QVX1\\";
  return inputs;
}

TEST(InstallerPropertyStringTest, Operations) {
  const std::string arp =
      "ARPSYSTEMCOMPONENT=1 ARPNOREMOVE=1 ARPNOMODIFY=1 ARPNOREPAIR=1 ARPINSTALLLOCATION=\"C:\\Program "
      "Files\\Sample\\\" ";
  const std::string sources =
      "SRCDIR=C:\\DIST\\DATA\\ SOURCELIST=C:\\DIST\\DATA\\;C:\\TEMP\\QVX1\\ MEDIAPACKAGEPATH=\\DIST\\ REBOOT=R ";

  PropertyStringInputs first = paths(InstallerOperation::kInstall);
  first.all_users = true;
  EXPECT_EQ(installer_property_string(first), "ADDLOCAL=ALL ALLUSERS=1 " + arp + sources);

  PropertyStringInputs again = first;
  again.installed = true;
  again.all_users = false;
  EXPECT_EQ(installer_property_string(again), "REINSTALL=ALL REINSTALLMODE=vomus ALLUSERS=\"\" " + arp + sources);

  PropertyStringInputs advertised = again;
  advertised.advertised_only = true;
  EXPECT_EQ(installer_property_string(advertised), "ADDLOCAL=ALL ADVERTISE=\"\" ALLUSERS=\"\" " + arp + sources);

  PropertyStringInputs advertise = first;
  advertise.advertise = true;
  EXPECT_EQ(installer_property_string(advertise), "ADVERTISE=ALL ALLUSERS=1 " + arp + sources);

  EXPECT_EQ(installer_property_string(paths(InstallerOperation::kRemove)), "REMOVE=ALL ALLUSERS=\"\" " + sources);
  EXPECT_EQ(installer_property_string(paths(InstallerOperation::kPatch)),
            "ADDLOCAL=ALL ALLUSERS=\"\" SRCDIR=C:\\DIST\\DATA\\ SRCDIREX=C:\\DIST\\DATA\\ ");
}

TEST(InstallerPropertyStringTest, PathsThatKeepABlankGoInQuotes) {
  PropertyStringInputs inputs = paths(InstallerOperation::kRemove);
  inputs.quote_paths = true;
  inputs.source_folder = "C:\\My Dist\\DATA\\";
  inputs.source_list = "C:\\My Dist\\DATA\\;C:\\TEMP\\QVX1\\";
  inputs.media_path = "\\My Dist\\";
  EXPECT_EQ(installer_property_string(inputs),
            "REMOVE=ALL ALLUSERS=\"\" SRCDIR=\"C:\\My Dist\\DATA\\\" SOURCELIST=\"C:\\My "
            "Dist\\DATA\\;C:\\TEMP\\QVX1\\\" MEDIAPACKAGEPATH=\"\\My Dist\\\" REBOOT=R ");
  PropertyStringInputs patch = paths(InstallerOperation::kPatch);
  patch.quote_paths = true;
  EXPECT_EQ(installer_property_string(patch),
            "ADDLOCAL=ALL ALLUSERS=\"\" SRCDIR=\"C:\\DIST\\DATA\\\" SRCDIREX=\"C:\\DIST\\DATA\\\" ");
}

}  // namespace
}  // namespace qm
