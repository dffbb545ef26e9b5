' ExCollection against Scripting.Dictionary in one cscript process, on the
' same 100,000 keys in a scattered order: Add, reads by key (c(key) against
' d(key)), ExistKey against Exists, a sorted collection's Add, and every
' entry read by position in order, forwards and backwards, as For loops read
' them (against d(key): a Dictionary has no positions). Prints
' microseconds per operation for both and the ratio. Figures, not pass or fail.
' Both sides get the keys as script variables, by reference.
Option Explicit

WScript.Echo "script host: PROCESSOR_ARCHITECTURE=" & _
             CreateObject("WScript.Shell").Environment("Process")("PROCESSOR_ARCHITECTURE")

Const N = 100000
Dim keys(99999), i, t0, x, b, c, s, d
For i = 0 To N - 1
  ' 7919 and 100003 are prime: every key once, in a scattered order.
  keys(i) = "key" & CStr((CLng(i) * 7919) Mod 100003)
Next

Function PerOp(seconds)
  PerOp = seconds * 1000000 / N
End Function

Sub Report(name, ours, theirs)
  WScript.Echo name & ": ExCollection " & FormatNumber(PerOp(ours), 2) & " us, Dictionary " & _
               FormatNumber(PerOp(theirs), 2) & " us, ratio " & FormatNumber(ours / theirs, 2)
End Sub

Dim tAddD, tAddC, tReadD, tReadC, tExistD, tExistC, tSorted, tForwards, tBackwards
Set d = CreateObject("Scripting.Dictionary")
Set c = CreateObject("TarnLib.ExCollection")
Set s = CreateObject("TarnLib.ExCollection")
s.Sorted = True

t0 = Timer
For i = 0 To N - 1
  d.Add keys(i), i
Next
tAddD = Timer - t0

t0 = Timer
For i = 0 To N - 1
  c.Add i, keys(i)
Next
tAddC = Timer - t0

t0 = Timer
For i = 0 To N - 1
  s.Add i, keys(i)
Next
tSorted = Timer - t0

t0 = Timer
For i = 0 To N - 1
  x = d(keys(i))
Next
tReadD = Timer - t0

t0 = Timer
For i = 0 To N - 1
  x = c(keys(i))
Next
tReadC = Timer - t0

t0 = Timer
For i = 0 To N - 1
  b = d.Exists(keys(i))
Next
tExistD = Timer - t0

t0 = Timer
For i = 0 To N - 1
  b = c.ExistKey(keys(i))
Next
tExistC = Timer - t0

t0 = Timer
For i = 1 To c.Count
  x = c(i)
Next
tForwards = Timer - t0

t0 = Timer
For i = c.Count To 1 Step -1
  x = c(i)
Next
tBackwards = Timer - t0

Report "Add (scattered keys)", tAddC, tAddD
Report "read by key", tReadC, tReadD
Report "ExistKey / Exists", tExistC, tExistD
Report "sorted Add (scattered keys)", tSorted, tAddD
Report "c(i) in order / d(key)", tForwards, tReadD
Report "c(i) backwards / d(key)", tBackwards, tReadD
If c.Count = N And s.Count = N And s.Key(1) = "key0" And c(keys(5)) = 5 Then
  WScript.Echo "All counts and reads as expected"
Else
  WScript.Echo "Unexpected contents"
End If
