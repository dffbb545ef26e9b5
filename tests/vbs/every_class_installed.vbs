' Every class of TarnLib, created by its ProgID and called once, the way a
' user's script finds it after an installation. Run by the installer test with
' the shared checks prepended (not one of the *_test.vbs suites).
Dim sf, col, net, tu, rs, gu, fso
Set sf = CreateObject("TarnLib.StringFunction")
Check "StringFunction: CountStringInString", sf.CountStringInString("aaaa", "aa"), CLng(3)
Check "StringFunction by its versioned ProgID", CreateObject("TarnLib.StringFunction.11").MATCH_DIGITS, "0123456789"

Set col = CreateObject("TarnLib.ExCollection")
col.Add "one", "k1"
col.Add "two", "k2"
Check "ExCollection: Count", col.Count, CLng(2)
Check "clsExItem: Value by key", col.Item("k2").Value, "two"
col.TerminateClass

Set net = CreateObject("TarnLib.Network")
Check "Network: GetIp of a dotted address", net.GetIp("127.0.0.1"), "127.0.0.1"

Set tu = CreateObject("TarnLib.TimeUtility")
Check "TimeUtility: UltimoMese", tu.UltimoMese(2, 2024), CInt(29)

Set rs = CreateObject("TarnLib.CRegSettings")
Check "CRegSettings: default AppName", rs.AppName, "TarnLib"

Set gu = CreateObject("TarnLib.GeneralUtility")
Set fso = CreateObject("Scripting.FileSystemObject")
Check "GeneralUtility: FileExists of the script host", gu.FileExists(WScript.FullName), fso.FileExists(WScript.FullName)
Check "GeneralUtility: FileExists of a missing file", gu.FileExists(WScript.FullName & ".missing"), False
Summary
