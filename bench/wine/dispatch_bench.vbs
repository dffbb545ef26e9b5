' Late-bound calls into TarnLib against the platform's own servers and
' VBScript's intrinsics, in one cscript process:
'  - a member without arguments (MATCH_DIGITS) against Scripting.Dictionary's
'    Count, net of the loop;
'  - InStrEx and CountStringInString against InStr on a 4,194,304-character
'    variable that holds no match, exactly and ignoring case (InStr with
'    vbTextCompare);
'  - ReplaceString against Replace at the same size.
' Timer counts in steps of about 10 ms under Wine, so every way runs again and
' again for at least MinSeconds. Figures, not pass or fail.
Option Explicit

WScript.Echo "script host: PROCESSOR_ARCHITECTURE=" & _
             CreateObject("WScript.Shell").Environment("Process")("PROCESSOR_ARCHITECTURE")

Const MinSeconds = 1
Const Size = 4194304

Dim sf, dict
Set sf = CreateObject("TarnLib.StringFunction")
Set dict = CreateObject("Scripting.Dictionary")
dict.Add "k", 1

Function Elapsed(t0)
  Elapsed = Timer - t0
  If Elapsed < 0 Then Elapsed = Elapsed + 86400  ' past midnight
End Function

' Seconds for `n` turns of one loop; each way has its own loop so that
' choosing the way costs nothing inside it.
Function LoopSeconds(way, n)
  Dim i, x, t0
  t0 = Timer
  Select Case way
    Case "empty"
      For i = 1 To n : x = i : Next
    Case "Dictionary.Count"
      For i = 1 To n : x = dict.Count : Next
    Case "MATCH_DIGITS"
      For i = 1 To n : x = sf.MATCH_DIGITS : Next
  End Select
  LoopSeconds = Elapsed(t0)
End Function

' Seconds per turn of each way's loop: the best of several rounds, the ways
' taking turns, since other processes on the machine slow single rounds down.
Const Turns = 200000
Const Rounds = 7
Function BestPerTurn(ways)
  Dim best, r, k, s
  best = ways  ' a copy of the same size; Wine's VBScript cannot ReDim a Dim'd array
  For r = 1 To Rounds
    For k = 0 To UBound(ways)
      s = LoopSeconds(ways(k), Turns) / Turns
      If r = 1 Then
        best(k) = s
      ElseIf s < best(k) Then
        best(k) = s
      End If
    Next
  Next
  BestPerTurn = best
End Function

Function MakeText(block, length)
  Dim t
  t = block
  Do While Len(t) < length
    t = t & t
  Loop
  MakeText = Left(t, length)
End Function

' Seconds per call of one way of searching or replacing; `out` keeps the
' last result for comparison.
Function PerCall(way, text, match, ByRef out)
  Dim calls, t0, s
  calls = 0
  t0 = Timer
  Do
    Select Case way
      Case "InStr" : out = InStr(text, match)
      Case "InStrEx" : out = sf.InStrEx(1, text, match)
      Case "CountStringInString" : out = sf.CountStringInString(text, match)
      Case "InStr text" : out = InStr(1, text, match, vbTextCompare)
      Case "InStrEx text" : out = sf.InStrEx(1, text, match, 1)
      Case "CountStringInString text" : out = sf.CountStringInString(text, match, False)
      Case "Replace" : out = Replace(text, match, "''")
      Case "ReplaceString" : out = sf.ReplaceString(text, match, "''")
    End Select
    calls = calls + 1
    s = Elapsed(t0)
  Loop Until s >= MinSeconds And calls >= 3
  PerCall = s / calls
End Function

Function Us(seconds)
  Us = Right(Space(9) & FormatNumber(seconds * 1000000, 3, True, False, False), 9) & " us"
End Function

Function Ms(seconds)
  Ms = Right(Space(9) & FormatNumber(seconds * 1000, 3, True, False, False), 9) & " ms"
End Function

Function Ratio(a, b)
  If b > 0 Then
    Ratio = FormatNumber(a / b, 2, True, False, False)
  Else
    Ratio = "n/a"
  End If
End Function

Dim perTurn, tEmpty, tCount, tDigits, mismatch
mismatch = 0
perTurn = BestPerTurn(Array("empty", "Dictionary.Count", "MATCH_DIGITS"))
tEmpty = perTurn(0)
tCount = perTurn(1) - tEmpty
tDigits = perTurn(2) - tEmpty
WScript.Echo "Late-bound call without arguments, net of the loop (" & Us(tEmpty) & " per empty turn, best of " & Rounds & " rounds)"
WScript.Echo "  Dictionary.Count   " & Us(tCount)
WScript.Echo "  MATCH_DIGITS       " & Us(tDigits) & "   ratio to Dictionary.Count " & Ratio(tDigits, tCount)

Dim text, tInStr, tInStrEx, tCountIn, r1, r2, r3
text = MakeText("abcdefghijklmnopqrstuvwxyz ", Size)
tInStr = PerCall("InStr", text, "qz", r1)
tInStrEx = PerCall("InStrEx", text, "qz", r2)
tCountIn = PerCall("CountStringInString", text, "qz", r3)
If r1 <> 0 Or r2 <> 0 Or r3 <> 0 Then mismatch = mismatch + 1
WScript.Echo "Search of " & Size & " characters without a match"
WScript.Echo "  InStr                " & Ms(tInStr)
WScript.Echo "  InStrEx              " & Ms(tInStrEx) & "   ratio to InStr " & Ratio(tInStrEx, tInStr)
WScript.Echo "  CountStringInString  " & Ms(tCountIn) & "   ratio to InStr " & Ratio(tCountIn, tInStr)

Dim tInStrText, tInStrExText, tCountText
tInStrText = PerCall("InStr text", text, "QZ", r1)
tInStrExText = PerCall("InStrEx text", text, "QZ", r2)
tCountText = PerCall("CountStringInString text", text, "QZ", r3)
If r1 <> 0 Or r2 <> 0 Or r3 <> 0 Then mismatch = mismatch + 1
WScript.Echo "The same search ignoring case"
WScript.Echo "  InStr vbTextCompare  " & Ms(tInStrText)
WScript.Echo "  InStrEx text         " & Ms(tInStrExText) & "   ratio to InStr " & Ratio(tInStrExText, tInStrText)
WScript.Echo "  CountStringInString, Exact False " & Ms(tCountText) & "   ratio to InStr " & Ratio(tCountText, tInStrText)

Dim gap, tReplace, tReplaceString, expected, viaCom
For Each gap In Array(16, 1000)
  text = MakeText(String(gap - 1, "a") & "'", Size)
  tReplace = PerCall("Replace", text, "'", expected)
  tReplaceString = PerCall("ReplaceString", text, "'", viaCom)
  If expected <> viaCom Then mismatch = mismatch + 1
  WScript.Echo "Doubling apostrophes in " & Size & " characters, one every " & gap
  WScript.Echo "  Replace              " & Ms(tReplace)
  WScript.Echo "  ReplaceString        " & Ms(tReplaceString) & "   ratio to Replace " & Ratio(tReplaceString, tReplace)
Next

If mismatch = 0 Then
  WScript.Echo "All results equal to VBScript's own."
Else
  WScript.Echo mismatch & " results differ from VBScript's own."
End If
