' ExCollection as a VBScript user writes it: default member reads and writes,
' Set, For Each, both error modes, sorting, teardown.
Dim c, it, first, second, x, s, n, d, d2, values, keys

Set c = CreateObject("TarnLib.ExCollection")
Check "new: Count", c.Count, CLng(0)
Check "new: RaiseErrors", c.RaiseErrors, True
Check "new: Err", c.Err, 0
Check "new: ErrDescription", c.ErrDescription, ""
Check "new: Sorted", c.Sorted, False

c.Add "one", "a"
c.Add 2, "B"
c.Add "zero", "z", 1
Check "Add before 1: Count", c.Count, CLng(3)
Check "c(key)", c("a") & "", "one"
Check "c(key) ignores case", c("b") + 0, 2
Check "c(1) after insert before 1", c(1) & "", "zero"
Check "Key(1)", c.Key(1), "z"
Check "item Key keeps the case of Add", c.Item("b").Key, "B"
Check "Index ignores case", c.Index("A"), CLng(2)
Check "Index of missing key", c.Index("nope"), CLng(0)
Check "ExistKey", c.ExistKey("Z"), True
Check "ExistKey missing", c.ExistKey("q"), False
Check "Add returns the value", c.Add("v", "after a", , "a") & "", "v"
Check "after: position", c.Index("after a"), CLng(3)

' One item object, resolved when it is read.
Set first = c.Item("a")
Set second = c.Item("z")
Check "one item object", first Is second, True
Check "first reads the last selector", first.Value & "", "zero"

' Digits as a String select by key, the Long by position.
c.Add "by key", "2"
Check "String ""2"" by key", c("2") & "", "by key"
Check "Long 2 by position", c(2) & "", "one"

' Let and Set through the default member.
c("a") = "uno"
Check "c(key) = v", c("A") & "", "uno"
Check "let keeps the position", c.Key(2), "a"
Set d = CreateObject("Scripting.Dictionary")
Set c("a") = d
Check "Set c(key) = o keeps identity", c("a").Value Is d, True
c.Add d, "dict"
Check "Add of an object keeps identity", c.Item("dict").Value Is d, True

' For Each yields the values in position order, objects as themselves.
values = ""
For Each x In c
  If IsObject(x) Then
    values = values & "[object]"
  Else
    values = values & x & ","
  End If
Next
Check "For Each", values, "zero,[object]v,2,by key,[object]"

' Errors raised (the default).
On Error Resume Next
s = c("missing")
n = Err.Number : d2 = Err.Description : Err.Clear
Check "missing key raises 5", n, CLng(5)
Check "missing key: description", d2, "Invalid procedure call or argument"
Check "missing key: Err", c.Err, 5
s = c.Key(0)
n = Err.Number : Err.Clear
Check "Key(0) raises 9", n, CLng(9)
c.Remove "missing"
n = Err.Number : Err.Clear
Check "Remove missing raises 5", n, CLng(5)
c.Add "x", "A"
n = Err.Number : Err.Clear
Check "duplicate key ignoring case raises 457", n, CLng(457)
Check "duplicate: Count unchanged", c.Count, CLng(6)
c.Sorted = True
n = Err.Number : d2 = Err.Description : Err.Clear
Check "Sorted on a filled collection raises 511", n, CLng(511)
Check "511: description", d2, "Sorted property is read-only if the collection is not empty"
Check "511 is not recorded", c.Err, 457
On Error GoTo 0

' Errors recorded only.
c.RaiseErrors = False
s = c("missing")
Check "recorded: Value Empty", IsEmpty(s), True
Check "recorded: Err 5", c.Err, 5
Check "recorded: ErrDescription", c.ErrDescription, "Invalid procedure call or argument"
Check "recorded: Key(99) empty", c.Key(99), ""
Check "recorded: Err 9", c.Err, 9
Check "recorded: Add duplicate returns Empty", IsEmpty(c.Add("x", "z")), True
Check "recorded: Err 457", c.Err, 457
Check "Index leaves Err alone", c.Index("a"), CLng(2)
Check "Err after Index", c.Err, 457
Check "success resets Err", c.Key(1), "z"
Check "Err reset", c.Err, 0
Check "ErrDescription reset", c.ErrDescription, ""
c.Err = 77
Check "Err can be written", c.Err, 77
c.Remove "z"
Check "next reporting member overwrites Err", c.Err, 0

' Removing everything lets the order be switched.
Do While c.Count > 0
  c.Remove 1
Loop
c.Sorted = True
Check "Sorted on an empty collection", c.Sorted, True
c.Add 3, "c"
c.Add 1, "alpha"
c.Add 2, "Beta"
c.Add 0, "Gamma", 1
keys = ""
For n = 1 To c.Count
  keys = keys & c.Key(n) & ","
Next
Check "sorted keys ignore case and before", keys, "alpha,Beta,c,Gamma,"
values = ""
For Each x In c
  values = values & x & ","
Next
Check "For Each in sorted order", values, "1,2,3,0,"

' Teardown.
Set it = c.Item("alpha")
c.TerminateClass
On Error Resume Next
c.TerminateClass
n = Err.Number : Err.Clear
Check "second TerminateClass raises 91", n, CLng(91)
n = c.Count
Check "Count after TerminateClass raises 91", Err.Number, CLng(91)
Err.Clear
On Error GoTo 0
Check "held item reads Empty", IsEmpty(it.Value), True
Check "held item Key empty", it.Key, ""
Check "Sorted get still works", c.Sorted, True
Check "ExistKey after TerminateClass", c.ExistKey("alpha"), False
Set it = Nothing
Set c = Nothing

' A collection dropped without TerminateClass lets go of its values; while
' the client holds the item, the item keeps the collection alive.
Dim terminated
terminated = 0
Class Watched
  Private Sub Class_Terminate()
    terminated = terminated + 1
  End Sub
End Class
Set c = CreateObject("TarnLib.ExCollection")
c.Add New Watched, "w"
Set c = Nothing
Check "dropped collection releases its values", terminated, 1
Set c = CreateObject("TarnLib.ExCollection")
c.Add New Watched, "w"
Set it = c.Item("w")
Set c = Nothing
Check "held item keeps the values", terminated, 1
Check "held item still reads its collection", IsObject(it.Value), True
Set it = Nothing
Check "dropping the item releases them", terminated, 2
Set c = CreateObject("TarnLib.ExCollection")
c.Add New Watched, "w"
c.TerminateClass
Check "TerminateClass releases them at once", terminated, 3

' c(k) is the item view; a stored object comes out through Value.
Dim stored, view, w
Set c = CreateObject("TarnLib.ExCollection")
Set d = CreateObject("Scripting.Dictionary")
d.Add "size", 3
c.Add d, "dict"
c.Add "text", "t"
Set view = c("dict")
Check "Set o = c(k): the item view", TypeName(view), "clsExItem"
Check "Set o = c(k): not the stored object", view Is d, False
Set stored = c("dict").Value
Check "Set o = c(k).Value: the stored object", stored Is d, True
Set stored = c.Item("dict").Value
Check "Set o = c.Item(k).Value: the stored object", stored Is d, True
Check "c(k).Value reaches the object's members", c("dict").Value("size"), 3
Check "c(k) where a value is wanted reads Value", c("t") & "", "text"
Check "the view follows the last selector", TypeName(view.Value), "String"
Set view = c(1)
Check "Set o = c(position): the item view too", TypeName(view), "clsExItem"
Set view = Nothing
Set stored = Nothing

' Many collections holding objects, read through the item view, dropped
' without TerminateClass: every object is released, so nothing leaked.
terminated = 0
For n = 1 To 200
  Set c = CreateObject("TarnLib.ExCollection")
  c.Add New Watched, "w"
  c.Add New Watched, "v"
  Set w = c("w").Value
  If n Mod 2 = 0 Then Set it = c.Item("v")
  Set w = Nothing
  Set it = Nothing
  Set c = Nothing
Next
Check "200 dropped collections release all 400 values", terminated, 400
' A collection inside a collection goes with it.
terminated = 0
Set c = CreateObject("TarnLib.ExCollection")
Set d2 = CreateObject("TarnLib.ExCollection")
d2.Add New Watched, "inner"
c.Add d2, "nested"
Set d2 = Nothing
Check "nested: alive while the outer is held", terminated, 0
Set c = Nothing
Check "nested: dropping the outer releases the inner's values", terminated, 1
' An item handed out keeps its collection until it goes too.
terminated = 0
Set c = CreateObject("TarnLib.ExCollection")
c.Add New Watched, "w"
Set it = c.Item("w")
Set c = Nothing
Set view = it
Set it = Nothing
Check "one of two references to the item left: values kept", terminated, 0
Set view = Nothing
Check "last reference to the item gone: values released", terminated, 1

Summary
