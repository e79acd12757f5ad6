; Pellwick's setup program. It puts the program and its help files into a
; folder under Program Files, records the installation in the registry key
; that the program reads at start-up, adds Start-menu shortcuts and an
; uninstaller listed in Add/Remove Programs. A first install writes a
; starting pellwick.ini; a later one, and the uninstaller, leave the user's
; file as it is: settings and host lists outlive a reinstall.
;
; CMake builds it (installer/CMakeLists.txt) with these defines:
;   PELLWICK_EXE      the pellwick.exe to install
;   PELLWICK_HELP     the WinHelp file, installed as pllwck32.hlp
;   PELLWICK_CHM      the HTML Help file, installed as pllwck32.chm with its
;                     Start-menu shortcut; only where the build makes one
;   PELLWICK_VERSION  the project's version, as in the program's resources
;   PELLWICK_VERSION4 the same as four numbers, for the setup's own resources
;   PELLWICK_OUTFILE  the setup program to write
;
; Only the 32-bit program ships, and this one setup installs it on 32- and
; 64-bit Windows alike; there it runs under WOW64, and so does the setup.

Target x86-unicode

!define PRODUCT "Pellwick32"
!define MAKER "Harrowmere Systems"
; The program reads Product, Version and Cfgfile here, in the 32-bit
; registry view, which on 64-bit Windows is the Wow6432Node branch: the
; setup, a 32-bit program too, writes there without asking.
!define MAKER_KEY "SOFTWARE\${MAKER}"
!define INSTALL_KEY "${MAKER_KEY}\${PRODUCT}"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define HELP_SHORTCUT "$SMPROGRAMS\Pellwick Help.lnk"
; Where Cfgfile points: the program reaches it both through that path and
; through the bare name pellwick.ini, which resolves in the Windows
; directory, so the two must name one file.
!define CONFIG_FILE "$WINDIR\pellwick.ini"

Name "${PRODUCT} ${PELLWICK_VERSION}"
OutFile "${PELLWICK_OUTFILE}"
; Writes under HKEY_LOCAL_MACHINE and Program Files.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; Program Files (x86) on 64-bit Windows.
InstallDir "$PROGRAMFILES\${PRODUCT}"
; A reinstall goes where the last one went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${PELLWICK_VERSION4}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${MAKER}"
VIAddVersionKey "LegalCopyright" "Copyright (c) ${MAKER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${PELLWICK_VERSION}"
VIAddVersionKey "ProductVersion" "${PELLWICK_VERSION}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The shortcut goes to every user's Start menu.
!macro UseMachineWideLocations
  SetShellVarContext all
!macroend

Function .onInit
  !insertmacro UseMachineWideLocations
FunctionEnd

Function un.onInit
  !insertmacro UseMachineWideLocations
FunctionEnd

; A first install starts with referrals, RDAP, Unicode text and IPv6 on and a
; WhoIs list of IANA's server, which knows every top-level domain's server
; and refers onwards, and the five regional internet registries'. The
; program started without a file keeps its own defaults; a file that is
; there already is the user's and stays as it is. The profile functions
; write it, as the program itself does.
Function WriteStartingConfiguration
  IfFileExists "${CONFIG_FILE}" done
  WriteINIStr "${CONFIG_FILE}" "pellwick" "referrals" "1"
  WriteINIStr "${CONFIG_FILE}" "pellwick" "rdap" "1"
  WriteINIStr "${CONFIG_FILE}" "pellwick" "unicode" "1"
  WriteINIStr "${CONFIG_FILE}" "pellwick" "ipv6" "1"
  WriteINIStr "${CONFIG_FILE}" "__WhoIs__" "count" "6"
  WriteINIStr "${CONFIG_FILE}" "__WhoIs__" "host0" "whois.iana.org"
  WriteINIStr "${CONFIG_FILE}" "__WhoIs__" "host1" "whois.arin.net"
  WriteINIStr "${CONFIG_FILE}" "__WhoIs__" "host2" "whois.ripe.net"
  WriteINIStr "${CONFIG_FILE}" "__WhoIs__" "host3" "whois.apnic.net"
  WriteINIStr "${CONFIG_FILE}" "__WhoIs__" "host4" "whois.lacnic.net"
  WriteINIStr "${CONFIG_FILE}" "__WhoIs__" "host5" "whois.afrinic.net"
  ; The Setup dialog's Default Host, which the WhoIs dialog opens on.
  WriteINIStr "${CONFIG_FILE}" "__WhoIs__" "default" "whois.iana.org"
done:
FunctionEnd

Section "${PRODUCT}"
  SetOutPath "$INSTDIR"
  File "/oname=pellwick.exe" "${PELLWICK_EXE}"
  File "/oname=pllwck32.hlp" "${PELLWICK_HELP}"
!ifdef PELLWICK_CHM
  File "/oname=pllwck32.chm" "${PELLWICK_CHM}"
!endif

  WriteRegStr HKLM "${INSTALL_KEY}" "Product" "${PRODUCT}"
  WriteRegStr HKLM "${INSTALL_KEY}" "Version" "${PELLWICK_VERSION}"
  WriteRegStr HKLM "${INSTALL_KEY}" "Cfgfile" "${CONFIG_FILE}"
  Call WriteStartingConfiguration

  CreateShortCut "${SHORTCUT}" "$INSTDIR\pellwick.exe"
!ifdef PELLWICK_CHM
  CreateShortCut "${HELP_SHORTCUT}" "$INSTDIR\pllwck32.chm"
!endif

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${PELLWICK_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pellwick.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\pellwick.exe"
  Delete "$INSTDIR\pllwck32.hlp"
  ; WinHelp keeps its index of a help file beside it.
  Delete "$INSTDIR\pllwck32.gid"
  ; Whether or not this setup brought them: an earlier one may have.
  Delete "$INSTDIR\pllwck32.chm"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: whatever the user put there stays.
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  Delete "${HELP_SHORTCUT}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${INSTALL_KEY}"
  ; The maker's key may hold other products' keys.
  DeleteRegKey /ifempty HKLM "${MAKER_KEY}"
SectionEnd
