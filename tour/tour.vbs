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

WScript.Echo "Errors arrive in Err:"
On Error Resume Next
Dim result
result = sf.CountStringInString("", "a")
Show "CountStringInString("""", ""a"")", "error " & Err.Number & ", " & Err.Description & ", from " & Err.Source
Err.Clear
result = sf.InStrEx(-2147483648, "abc", "b")
Show "InStrEx(-2147483648, ...)", "error " & Err.Number & ", " & Err.Description
Err.Clear
On Error GoTo 0
