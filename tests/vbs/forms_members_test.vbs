' The forms members as a script without forms meets them: cscript has no
' focused control and no active window, so the members that need one raise
' their errors, SelectAllText traps them, and the cursor members work on any
' object that answers hWnd.
Dim sf, gu, result, n, d

Class WindowLike
  Public hWnd
End Class

Class NoWindow
  Public Caption
End Class

Set sf = CreateObject("TarnLib.StringFunction")
Set gu = CreateObject("TarnLib.GeneralUtility")

Check "ConvertRetToTab: other keys pass", sf.ConvertRetToTab(65), 65
Check "ConvertRetToTab: Tab passes", sf.ConvertRetToTab(9), 9
Check "ConvertRetToTab: 0 passes", sf.ConvertRetToTab(0), 0

On Error Resume Next
result = sf.ConvertRetToTab(13)
n = Err.Number : d = Err.Description : Err.Clear
Check "ConvertRetToTab(13) without a window to receive the Tab: Err.Number", n, CLng(5)
Check "ConvertRetToTab(13) without a window: Err.Description", d, "Invalid procedure call or argument"

result = sf.InsertFirstUCase(97)
n = Err.Number : d = Err.Description : Err.Clear
Check "InsertFirstUCase without a focused control: Err.Number", n, CLng(91)
Check "InsertFirstUCase: Err.Description", d, "Object variable or With block variable not set"

sf.SelectAllText
Check "SelectAllText without an active form reports nothing", Err.Number, CLng(0)
Err.Clear

result = gu.FindControlIndex("txtName")
n = Err.Number : Err.Clear
Check "FindControlIndex without an active form: Err.Number", n, CLng(91)
result = gu.FindControlIndex("txtName", 1)
n = Err.Number : Err.Clear
Check "FindControlIndex with an Index, without an active form: Err.Number", n, CLng(91)

result = gu.LimitCursor(Nothing)
n = Err.Number : Err.Clear
Check "LimitCursor(Nothing): Err.Number", n, CLng(91)
result = gu.LimitCursor(New NoWindow)
n = Err.Number : d = Err.Description : Err.Clear
Check "LimitCursor of an object without hWnd: Err.Number", n, CLng(438)
Check "LimitCursor of an object without hWnd: Err.Description", d, "Object doesn't support this property or method"
On Error GoTo 0

Dim w
Set w = New WindowLike
w.hWnd = 0
Check "LimitCursor of a handle naming no window returns Empty", IsEmpty(gu.LimitCursor(w)), True
Check "ReleaseCursor returns Empty", IsEmpty(gu.ReleaseCursor()), True
Check "ReleaseCursor again", IsEmpty(gu.ReleaseCursor()), True

Summary
