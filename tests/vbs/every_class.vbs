' One call or more on every class, created by ProgID: what a deployment must
' make available to scripts. Runs with test_support.vbs prepended.
Dim sf, gu, col, item, net, tu, rs, company
Set sf = CreateObject("TarnLib.StringFunction")
Check "StringFunction.ReplaceString", sf.ReplaceString("a-b-c", "-", "+"), "a+b+c"
Check "StringFunction.CountStringInString", sf.CountStringInString("abcab", "ab"), CLng(2)

Set gu = CreateObject("TarnLib.GeneralUtility.11")
Check "GeneralUtility.GetFileName", gu.GetFileName("C:\dir\file.txt"), "file.txt"

Set col = CreateObject("TarnLib.ExCollection")
col.Add "first value", "first"
col.Add "second value", "second"
Check "ExCollection.Count", col.Count, CLng(2)
Set item = col("second")
Check "clsExItem.Value", item.Value, "second value"
Check "clsExItem.Key", item.Key, "second"

Set net = CreateObject("TarnLib.Network")
Check "Network.GetIp", net.GetIp("127.0.0.1"), "127.0.0.1"

Set tu = CreateObject("TarnLib.TimeUtility")
Check "TimeUtility.UltimoMese", tu.UltimoMese(2, 2024), CInt(29)

Set rs = CreateObject("TarnLib.CRegSettings")
company = "TarnLib deployment test " & CStr(Int(Rnd * 1000000))
rs.Company = company
rs.AppName = "EveryClass"
Check "CRegSettings.SaveSetting", rs.SaveSetting("Section", "Key", "value"), True
Check "CRegSettings.GetSetting", rs.GetSetting("Section", "Key", "none"), "value"
Check "CRegSettings.DeleteSetting", rs.DeleteSetting("Section"), True
Summary
