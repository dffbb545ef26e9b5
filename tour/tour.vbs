' A tour of TarnLib: every member available so far, called the way a
' VBScript user calls it.
Option Explicit

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
WScript.Echo "  (ParseString fills a String array passed by reference, which Wine's VBScript cannot pass;"
WScript.Echo "   VBA, VB6 and C++ callers use it.)"

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
WScript.Echo "  (Add, Index and ExistKey take the key as a String by reference: pass a script"
WScript.Echo "   variable in parentheses, c.ExistKey((k)), or as a literal.)"
