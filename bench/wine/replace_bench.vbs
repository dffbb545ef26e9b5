' ReplaceString and CSql through COM against VBScript's own Replace, on the
' same texts in the same cscript process. Each text is 1 MB or 4 MB of
' characters with an apostrophe every 16 or every 1000 characters; every call
' doubles the apostrophes. Timer counts in steps of about 10 ms under Wine, so
' each way is called again and again for at least MinSeconds and the time per
' call is the mean. Figures, not pass or fail.
Option Explicit

Const MinSeconds = 1

Dim sf
Set sf = CreateObject("TarnLib.StringFunction")

' A text of exactly `size` characters: `block` repeated by doubling.
Function MakeText(block, size)
  Dim t
  t = block
  Do While Len(t) < size
    t = t & t
  Loop
  MakeText = Left(t, size)
End Function

' Seconds per call for one way of doubling the apostrophes. The last result is
' kept in `out` so that the ways can be compared.
Function TimePerCall(way, text, ByRef out)
  Dim calls, t0, elapsed
  calls = 0
  t0 = Timer
  Do
    Select Case way
      Case "Replace" : out = Replace(text, "'", "''")
      Case "ReplaceString" : out = sf.ReplaceString(text, "'", "''")
      Case "CSql" : out = sf.CSql(text)
    End Select
    calls = calls + 1
    elapsed = Timer - t0
    If elapsed < 0 Then elapsed = elapsed + 86400  ' past midnight
  Loop Until elapsed >= MinSeconds And calls >= 3
  TimePerCall = elapsed / calls
End Function

Function Ms(seconds)
  Ms = Right(Space(8) & FormatNumber(seconds * 1000, 1, True, False, False), 8) & " ms"
End Function

Function Ratio(a, b)
  If b > 0 Then
    Ratio = FormatNumber(a / b, 2, True, False, False)
  Else
    Ratio = "n/a"
  End If
End Function

Dim sizes, gaps, size, gap, text, expected, viaCom, viaCsql
Dim tReplace, tReplaceString, tCsql, mismatch
sizes = Array(1048576, 4194304)
gaps = Array(16, 1000)
mismatch = 0

WScript.Echo "script host: PROCESSOR_ARCHITECTURE=" & _
             CreateObject("WScript.Shell").Environment("Process")("PROCESSOR_ARCHITECTURE")
WScript.Echo "Doubling apostrophes: VBScript Replace against TarnLib through COM, time per call"
For Each size In sizes
  For Each gap In gaps
    text = MakeText(String(gap - 1, "a") & "'", size)
    tReplace = TimePerCall("Replace", text, expected)
    tReplaceString = TimePerCall("ReplaceString", text, viaCom)
    tCsql = TimePerCall("CSql", text, viaCsql)
    If viaCom <> expected Or viaCsql <> expected Then mismatch = mismatch + 1
    WScript.Echo CStr(size \ 1048576) & " MB, apostrophe every " & gap & " characters (result " & Len(expected) & ")"
    WScript.Echo "  Replace        " & Ms(tReplace)
    WScript.Echo "  ReplaceString  " & Ms(tReplaceString) & "   ratio to Replace " & Ratio(tReplaceString, tReplace)
    WScript.Echo "  CSql           " & Ms(tCsql) & "   ratio to Replace " & Ratio(tCsql, tReplace)
  Next
Next
If mismatch = 0 Then
  WScript.Echo "All results equal to Replace's."
Else
  WScript.Echo mismatch & " texts gave results different from Replace's."
End If
