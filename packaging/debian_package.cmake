# SPDX-License-Identifier: GPL-3.0-or-later
# `cpack` in a release build makes zkn-tool_<version>_amd64.deb of whatever `cmake --install`
# puts in place: the three programs and the files of packaging/, nothing a test build adds.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zkn-tool)
set(CPACK_PACKAGE_CONTACT "ZKN-Control Tool maintainers <maintainers@users.noreply.c-seed-504fa7ea.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Test and control the message-centre link of a PBX")
set(CPACK_PACKAGE_DESCRIPTION [[
ZKN-Control Tool is a desktop program for the technician who commissions or
checks the message-centre link (ZKN link) of a telephone exchange. It
connects to the PBX over an RS-232 line or over TCP, keeps the link up, shows
every message in a time-stamped terminal with an optional log file, answers
and decodes the call-information records the PBX sends, switches
message-waiting lamps for one station or a range, and runs a lamp load test.

The package also holds zkn-pbxsim, which plays the PBX side of the link for
rehearsals and for reproducing faults; zkn-decode, which decodes the records
in a log file or a capture on the command line; zkn-run, which runs the link
without a window from a plan; and zkn-monitor, which watches the link between
a PBX and a real message centre through a relay or a serial tap.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names the run-time libraries the binaries link (Qt 6's among them), with the
# versions they need.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The terminal draws with the system's fixed-width font; xdg-open opens the extensions file in the
# desktop's editor.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
include(CPack)
