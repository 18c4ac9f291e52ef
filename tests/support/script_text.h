#pragma once
// Scripts for tests, written one line per script line:
//
//   If | A | 0 | yes | FALSE      a command and its fields, separated by "|"
//   Display Dialog | D1 | R | |   trailing empty fields are written out
//   # End                         a commented-out line
//   mark x                        shorthand: Set Variable RUN to $RUN$x
//   dump [NAME]                   shorthand: the tests' plug-in writes the
//                                 whole variable store beside the setup
//                                 (SetupFolder::variables(NAME) reads it)
//
// Blank lines are ignored. The first line of every script sets RUN empty.

#include <string_view>

#include "tests/support/package_text.h"

namespace qm::test {

PackageText script_package(std::string_view script);

}  // namespace qm::test
