' GetRndString against NoNull and VBScript's own s & "" on 4,194,304
' characters, in one cscript process: what a random String of that length
' costs beside what it costs to make any new String of that length. The three
' ways take turns, round after round, so that a change of load on the machine
' touches all of them alike. Timer counts in steps of about 10 ms under Wine,
' so each way is called again and again for at least MinSeconds and the time
' per call is the mean. Figures, not pass or fail.
Option Explicit

Const MinSeconds = 1
Const Size = 4194304
Const Rounds = 3

Dim sf
Set sf = CreateObject("TarnLib.StringFunction")

Function TimePerCall(way, text, ByRef out)
  Dim calls, t0, elapsed
  calls = 0
  t0 = Timer
  Do
    Select Case way
      Case "GetRndString" : out = sf.GetRndString(Size)
      Case "NoNull" : out = sf.NoNull(text)
      Case "Concatenation" : out = text & ""
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

WScript.Echo "script host: PROCESSOR_ARCHITECTURE=" & _
             CreateObject("WScript.Shell").Environment("Process")("PROCESSOR_ARCHITECTURE")
Dim text, random, copy, plain, round, tRandom, tNoNull, tPlain, bad
text = String(Size, "a")
bad = 0
For round = 1 To Rounds
  tNoNull = TimePerCall("NoNull", text, copy)
  tRandom = TimePerCall("GetRndString", text, random)
  tPlain = TimePerCall("Concatenation", text, plain)
  If Len(random) <> Size Or Not sf.IsCustomString(random, sf.MATCH_CHARS & sf.MATCH_DIGITS) Then bad = bad + 1
  If copy <> text Or plain <> text Then bad = bad + 1
  WScript.Echo "round " & round & ", " & Size & " characters: GetRndString " & Ms(tRandom) & ", NoNull " & _
               Ms(tNoNull) & ", s & """" " & Ms(tPlain) & "; GetRndString / NoNull " & _
               FormatNumber(tRandom / tNoNull, 2, True, False, False)
Next
If bad = 0 Then
  WScript.Echo "All results as expected"
Else
  WScript.Echo bad & " results not as expected"
End If
