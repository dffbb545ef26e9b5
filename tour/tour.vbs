' A tour of TarnLib: every member available so far, called the way a
' VBScript user calls it.
Option Explicit

' The script host's bitness: AMD64 for 64-bit cscript, x86 for 32-bit cscript.
WScript.Echo "script host: PROCESSOR_ARCHITECTURE=" & _
             CreateObject("WScript.Shell").Environment("Process")("PROCESSOR_ARCHITECTURE")

Sub Show(label, value)
  WScript.Echo "  " & label & " = " & value
End Sub

Dim sf
Set sf = CreateObject("TarnLib.StringFunction")
WScript.Echo "TarnLib.StringFunction"
Show "MATCH_UPPER_CHARS", sf.MATCH_UPPER_CHARS
Show "MATCH_LOWER_CHARS", sf.MATCH_LOWER_CHARS
Show "MATCH_CHARS", sf.MATCH_CHARS
Show "MATCH_DIGITS", sf.MATCH_DIGITS
Show "MATCH_SPACES (as codes)", Asc(Left(sf.MATCH_SPACES, 1)) & " " & Asc(Right(sf.MATCH_SPACES, 1))
Show "CountStringInString(""aaaa"", ""aa"")", sf.CountStringInString("aaaa", "aa")
Show "CountStringInString(""Abc abc"", ""ABC"", False)", sf.CountStringInString("Abc abc", "ABC", False)
Show "InStrEx(3, ""abcabc"", ""bc"")", sf.InStrEx(3, "abcabc", "bc")
Show "InStrEx(-1, ""abcabc"", ""bc"")", sf.InStrEx(-1, "abcabc", "bc")
Show "InStrEx(1, ""abcabc"", ""BC"", vbTextCompare)", sf.InStrEx(1, "abcabc", "BC", vbTextCompare)
Show "ReplaceString(""aaa"", ""a"", ""aa"")", sf.ReplaceString("aaa", "a", "aa")
Show "CSql(""O'Neil's"")", sf.CSql("O'Neil's")
Show "FirstUCase(""  o'NEIL   mcDONALD "")", sf.FirstUCase("  o'NEIL   mcDONALD ")
Show "RemoveSpaces("" a b  c "")", sf.RemoveSpaces(" a b  c ")
Show "OnlyOneSpace(""  a   b  "")", "[" & sf.OnlyOneSpace("  a   b  ") & "]"
Show "NoNull(Null)", "[" & sf.NoNull(Null) & "] (" & TypeName(sf.NoNull(Null)) & ")"
Show "NoNull(5)", sf.NoNull(5) & " (" & TypeName(sf.NoNull(5)) & ")"
Show "IsCustomString(""1234"", sf.MATCH_DIGITS)", sf.IsCustomString("1234", sf.MATCH_DIGITS)
Show "IsCustomString(""12a"", sf.MATCH_DIGITS)", sf.IsCustomString("12a", sf.MATCH_DIGITS)
Show "GetRndString(12)", sf.GetRndString(12)
Show "GetRndString(8, ""01"")", sf.GetRndString(8, "01")
' The pieces go into any variable that may hold a new array (Dim a(),
' Empty, a = Array(), ReDim a(n)); Wine's VBScript has no Join.
Dim pieces, piece, listed
sf.ParseString "a,b,,c", ",", pieces
listed = ""
For Each piece In pieces
  listed = listed & "[" & piece & "]"
Next
Show "ParseString ""a,b,,c"", "","", pieces", "pieces 0 to " & UBound(pieces) & ": " & listed

WScript.Echo "Errors arrive in Err:"
On Error Resume Next
Dim result
result = sf.CountStringInString("", "a")
Show "CountStringInString("""", ""a"")", "error " & Err.Number & ", " & Err.Description & ", from " & Err.Source
Err.Clear
result = sf.InStrEx(-2147483648, "abc", "b")
Show "InStrEx(-2147483648, ...)", "error " & Err.Number & ", " & Err.Description
Err.Clear
result = sf.GetRndString(5, "")
Show "GetRndString(5, """")", "error " & Err.Number & ", " & Err.Description & ", from " & Err.Source
Err.Clear
On Error GoTo 0

' Only names this machine answers itself.
Dim net
Set net = CreateObject("TarnLib.Network")
WScript.Echo "TarnLib.Network"
Show "GetIp(""localhost"")", net.GetIp("localhost")
Show "GetIp() (this machine)", net.GetIp()
Show "GetIp(""192.168.1.200"")", net.GetIp("192.168.1.200")
Show "HostByAddr(""127.0.0.1"")", net.HostByAddr("127.0.0.1")
On Error Resume Next
result = net.GetIp(String(65, "a"))
Show "GetIp(String(65, ""a""))", "error " & Err.Number & ", " & Err.Description
Err.Clear
On Error GoTo 0

Dim tu
Set tu = CreateObject("TarnLib.TimeUtility")
WScript.Echo "TarnLib.TimeUtility"
Show "UltimoMese(Febbraio, 2024)", tu.UltimoMese(2, 2024)
Show "UltimoMese(Febbraio, 1900)", tu.UltimoMese(2, 1900)
Show "UltimoMese(Aprile, 2024)", tu.UltimoMese(4, 2024)
Show "isLeapYear(2000)", tu.isLeapYear(2000)
Show "isLeapYear(-100)", tu.isLeapYear(-100)
Show "SecFrom1970 (local wall clock)", tu.SecFrom1970

Dim rs, tourCompany
Set rs = CreateObject("TarnLib.CRegSettings")
WScript.Echo "TarnLib.CRegSettings"
Show "Company", rs.Company
Show "AppName", rs.AppName
tourCompany = "TarnLib Tour"
rs.Company = tourCompany
Show "SaveSetting(""Window"", ""Width"", ""640"")", rs.SaveSetting("Window", "Width", "640")
Show "GetSetting(""Window"", ""Width"", ""0"")", rs.GetSetting("Window", "Width", "0")
Show "GetSetting(""Window"", ""Height"", ""480"")", rs.GetSetting("Window", "Height", "480")
Show "DeleteSetting(""Window"")", rs.DeleteSetting("Window")
Show "DeleteSetting("""") deletes nothing", rs.DeleteSetting("")
CreateObject("WScript.Shell").Run "reg.exe delete ""HKCU\Software\" & tourCompany & """ /f", 0, True

Dim gu
Set gu = CreateObject("TarnLib.GeneralUtility")
WScript.Echo "TarnLib.GeneralUtility"
Show "FileExists(""C:\windows\win.ini"")", gu.FileExists("C:\windows\win.ini")
Show "FileExists(""C:\windows"")", gu.FileExists("C:\windows")
Show "GetFileName(""C:\Windows\win.ini"")", gu.GetFileName("C:\Windows\win.ini")
Show "GetDirName(""C:\Windows\win.ini"")", gu.GetDirName("C:\Windows\win.ini")
Show "GetFileName(""docs/notes.txt"")", gu.GetFileName("docs/notes.txt")

WScript.Echo "Form helpers (a script has no forms of its own, so the members that need one say so in Err):"
Dim formsUtility
Set formsUtility = CreateObject("TarnLib.GeneralUtility")
Show "ConvertRetToTab(65)", sf.ConvertRetToTab(65)
sf.SelectAllText
Show "SelectAllText", "returns quietly without an active form"
Show "ReleaseCursor()", TypeName(formsUtility.ReleaseCursor())
On Error Resume Next
result = sf.InsertFirstUCase(97)
Show "InsertFirstUCase(97)", "error " & Err.Number & ", " & Err.Description
Err.Clear
result = formsUtility.FindControlIndex("txtName")
Show "FindControlIndex(""txtName"")", "error " & Err.Number & ", " & Err.Description
Err.Clear
On Error GoTo 0

Dim c, x, list
Set c = CreateObject("TarnLib.ExCollection")
WScript.Echo "TarnLib.ExCollection"
c.Add "Rome", "it"
c.Add "Paris", "fr"
c.Add "Berlin", "de", 1
Show "Count", c.Count
Show "c(""FR"") (keys ignore case)", c("FR")
Show "c(1) (a Long selects by position)", c(1)
Show "Key(1)", c.Key(1)
Show "Index(""it"")", c.Index("it")
Show "ExistKey(""es"")", c.ExistKey("es")
c("fr") = "Lyon"
Show "after c(""fr"") = ""Lyon""", c("fr")
list = ""
For Each x In c
  list = list & x & " "
Next
Show "For Each", list
c.RaiseErrors = False
x = c("es")
Show "c(""es"") with RaiseErrors False", "Empty: " & IsEmpty(x) & ", Err " & c.Err & ", " & c.ErrDescription
c.TerminateClass
Set c = CreateObject("TarnLib.ExCollection")
c.Sorted = True
c.Add 3, "gamma"
c.Add 1, "Alpha"
c.Add 2, "beta"
Show "sorted keys", c.Key(1) & " " & c.Key(2) & " " & c.Key(3)
