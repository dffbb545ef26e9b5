' CRegSettings as a VBScript user calls it, under a company of its own that
' the script removes at the end; the layout is checked with the registry
' reader of WScript.Shell.
Dim rs, other, shell, company, base
Set rs = CreateObject("TarnLib.CRegSettings")
Set shell = CreateObject("WScript.Shell")

Check "default Company", rs.Company, "VB and VBA Program Settings"
Check "default AppName", rs.AppName, "TarnLib"

Randomize
company = "TarnLib VBS Test " & CStr(Int(Rnd * 1000000000))
rs.Company = "  " & company & "  "
Check "Company trimmed", rs.Company, company
rs.AppName = "Tour"
base = "HKCU\Software\" & company & "\Tour\"

Check "GetSetting of nothing, default given", rs.GetSetting("Sect", "Key", "none"), "none"
Check "GetSetting of nothing, default omitted", rs.GetSetting("Sect", "Key"), ""
Check "SaveSetting", rs.SaveSetting("Sect", "Key", "abc"), True
Check "GetSetting", rs.GetSetting("Sect", "Key", "none"), "abc"
Check "stored as REG_SZ, read by WScript.Shell", shell.RegRead(base & "Sect\Key"), "abc"
Check "empty setting", rs.SaveSetting("Sect", "Empty", ""), True
Check "empty setting reads empty, not the default", rs.GetSetting("Sect", "Empty", "none"), ""
Check "save the default value", rs.SaveSetting("Sect", "*", "unnamed"), True
Check "default value through WScript.Shell", shell.RegRead(base & "Sect\"), "unnamed"
Check "empty key reads the default value", rs.GetSetting("Sect", "", "none"), "unnamed"
Check "empty section", rs.SaveSetting("", "Top", "level"), True
Check "empty section is the application key", shell.RegRead(base & "Top"), "level"

Set other = CreateObject("TarnLib.CRegSettings")
other.Company = company
other.AppName = "Tour"
Check "a second object shares the keys", other.GetSetting("Sect", "Key", "none"), "abc"

Check "delete a value", rs.DeleteSetting("Sect", "Key"), True
Check "deleted value reads the default", rs.GetSetting("Sect", "Key", "gone"), "gone"
Check "delete a missing value", rs.DeleteSetting("Sect", "Key"), False
Check "delete with neither section nor key", rs.DeleteSetting(""), False
Check "application key kept", rs.GetSetting("", "Top", "none"), "level"
Check "delete a section", rs.DeleteSetting("Sect"), True
Check "deleted section reads the default", rs.GetSetting("Sect", "Empty", "gone"), "gone"
Check "delete a missing section", rs.DeleteSetting("Sect"), False

' Clean up: the application and company keys stay after their last value,
' so reg.exe removes them (Wine's WScript.Shell has no RegDelete).
Check "delete the last value", rs.DeleteSetting("", "Top"), True
Check "remove the company key", shell.Run("reg.exe delete ""HKCU\Software\" & company & """ /f", 0, True), CLng(0)
Dim gone
On Error Resume Next
gone = shell.RegRead("HKCU\Software\" & company & "\")
Check "cleaned up", Err.Number <> 0, True
On Error GoTo 0

Summary
