' ParseString as a VBScript user calls it: every way a script declares the
' array that receives the pieces. Scripts have only Variant arrays; each
' receives a new array from 0 holding one String per piece. A fixed array
' (Dim a(2)) is refused with error 10 and keeps what it held.
Dim sf, n, d, s
Set sf = CreateObject("TarnLib.StringFunction")

' "lower..upper [piece] [piece] ...", with "?" before a piece that is not a String.
Function Pieces(a)
  Dim i, text
  If Not IsArray(a) Then
    Pieces = "not an array: " & TypeName(a)
    Exit Function
  End If
  text = LBound(a) & ".." & UBound(a)
  For i = LBound(a) To UBound(a)
    If VarType(a(i)) <> vbString Then text = text & " ?"
    text = text & " [" & a(i) & "]"
  Next
  Pieces = text
End Function

Dim never()
sf.ParseString "a,b,,c", ",", never
Check "Dim a(): the pieces", Pieces(never), "0..3 [a] [b] [] [c]"
Check "Dim a(): an array of Variants", TypeName(never), "Variant()"

Dim made
made = Array()
sf.ParseString ",a,", ",", made
Check "a = Array(): empty pieces at both ends", Pieces(made), "0..2 [] [a] []"

Dim resized
ReDim resized(5)
resized(0) = 42
sf.ParseString "abc", ",", resized
Check "ReDim a(5): no separator leaves one piece", Pieces(resized), "0..0 [abc]"

Dim blank
sf.ParseString "", ",", blank
Check "Empty variable: an empty Source gives one empty piece", Pieces(blank), "0..0 []"

Dim words
words = Split("one two three four")
sf.ParseString "aXbxc", "x", words
Check "a = Split(...): replaced, case-sensitive", Pieces(words), "0..1 [aXb] [c]"

Dim again
sf.ParseString "1;2;3", ";", again
sf.ParseString "x", ";", again
Check "a second call replaces the first pieces", Pieces(again), "0..0 [x]"

Dim twice
sf.ParseString "a::b", "::", twice
Check "a separator of two characters", Pieces(twice), "0..1 [a] [b]"

' Inside a procedure, with local variables (not Dim a() followed by ReDim,
' which Wine's VBScript cannot run inside a procedure).
Function Split2(text, separator)
  Dim local
  sf.ParseString text, separator, local
  Split2 = local
End Function
Sub SplitIntoLocalArray()
  Dim local()
  sf.ParseString "p|q", "|", local
  Check "Dim a() inside a procedure", Pieces(local), "0..1 [p] [q]"
End Sub
Check "a function that returns the pieces", Pieces(Split2("k=v", "=")), "0..1 [k] [v]"
SplitIntoLocalArray

Dim fixed(2)
fixed(0) = "keep"
On Error Resume Next
sf.ParseString "a,b", ",", fixed
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
CheckError "Dim a(2) is fixed", n, d, s, 10, "This array is fixed or temporarily locked", "TarnLib"
Check "Dim a(2) keeps what it held", Pieces(fixed), "0..2 [keep] ? [] ? []"

Dim overlap
On Error Resume Next
sf.ParseString "a:::b", "::", overlap
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
CheckError "overlapping separator", n, d, s, 5, "Invalid procedure call or argument", "TarnLib"
Check "overlapping separator: the pieces so far and one empty", Pieces(overlap), "0..1 [a] []"

' A variable holding something other than an array cannot receive one: the
' script engine reports the type mismatch, and the variable keeps its value.
Dim text
text = "unchanged"
On Error Resume Next
sf.ParseString "a,b", ",", text
n = Err.Number
On Error GoTo 0
Check "a String variable: type mismatch", n, CLng(13)
Check "a String variable keeps its value", text, "unchanged"

Summary
