' ReplaceString, CSql, FirstUCase, RemoveSpaces, OnlyOneSpace, NoNull,
' IsCustomString and GetRndString as a VBScript user calls them: late bound,
' errors through Err. (ParseString has a file of its own.)
Dim sf, result, n, d, s, text
Set sf = CreateObject("TarnLib.StringFunction")

' True when every character of text occurs in chars.
Function OnlyFrom(text, chars)
  Dim k
  OnlyFrom = True
  For k = 1 To Len(text)
    If InStr(1, chars, Mid(text, k, 1), vbBinaryCompare) = 0 Then OnlyFrom = False
  Next
End Function

Check "ReplaceString: inserted text is not searched", sf.ReplaceString("aaa", "a", "aa"), "aaaaaa"
Check "ReplaceString: no overlapping occurrences", sf.ReplaceString("aaaa", "aa", "b"), "bb"
Check "ReplaceString: a removal forms no new occurrence", sf.ReplaceString("aabb", "ab", ""), "ab"
Check "ReplaceString: empty Data", sf.ReplaceString("", "a", "x"), ""
Check "ReplaceString: empty Search leaves Data", sf.ReplaceString("abc", "", "x"), "abc"
Check "ReplaceString: case-sensitive", sf.ReplaceString("Abc", "a", "x"), "Abc"
Check "ReplaceString: numbers become text", sf.ReplaceString(12121, 1, "-"), "-2-2-"
text = "one two three"
Check "ReplaceString: from a variable", sf.ReplaceString(text, " ", "_"), "one_two_three"
Check "ReplaceString: the variable is untouched", text, "one two three"

Check "CSql: one apostrophe", sf.CSql("it's"), "it''s"
Check "CSql: two apostrophes", sf.CSql("''"), "''''"
Check "CSql: empty", sf.CSql(""), ""
Check "CSql: double quotes stay", sf.CSql("say ""hi"""), "say ""hi"""
Check "CSql: in a query", "SELECT * FROM t WHERE name = '" & sf.CSql("O'Neil") & "'", _
      "SELECT * FROM t WHERE name = 'O''Neil'"

Check "FirstUCase: runs of spaces", sf.FirstUCase("  hello   WORLD  "), "Hello World"
Check "FirstUCase: apostrophe starts no word", sf.FirstUCase("o'NEIL mcDONALD"), "O'neil Mcdonald"
Check "FirstUCase: tab starts no word", sf.FirstUCase("a" & vbTab & "b"), "A" & vbTab & "b"
Check "FirstUCase: empty", sf.FirstUCase(""), ""
Check "FirstUCase: spaces only", sf.FirstUCase("   "), ""
Check "FirstUCase: 32766 characters", sf.FirstUCase(String(32766, "x")), "X" & String(32765, "x")

Check "RemoveSpaces: before, between and after", sf.RemoveSpaces(" a b  c "), "abc"
Check "RemoveSpaces: tabs stay", sf.RemoveSpaces("a" & vbTab & "b c"), "a" & vbTab & "bc"
Check "RemoveSpaces: empty", sf.RemoveSpaces(""), ""
Check "RemoveSpaces: space at 32766", sf.RemoveSpaces(String(32765, "x") & " y"), String(32765, "x") & "y"

Check "OnlyOneSpace: runs and ends", sf.OnlyOneSpace("  a   b  "), "a b"
Check "OnlyOneSpace: already single", sf.OnlyOneSpace("a b c"), "a b c"
Check "OnlyOneSpace: tabs stay", sf.OnlyOneSpace("a" & vbTab & vbTab & "b"), "a" & vbTab & vbTab & "b"
Check "OnlyOneSpace: empty", sf.OnlyOneSpace(""), ""
Check "OnlyOneSpace: spaces only", sf.OnlyOneSpace("    "), ""
Check "OnlyOneSpace: run at 32766", sf.OnlyOneSpace(String(32765, "x") & "  y"), String(32765, "x") & " y"

Check "NoNull: Null gives an empty String", sf.NoNull(Null), ""
Check "NoNull: Empty stays Empty", sf.NoNull(Empty), Empty
Check "NoNull: an Integer stays an Integer", sf.NoNull(5), 5
Check "NoNull: a Long stays a Long", sf.NoNull(CLng(70000)), CLng(70000)
Check "NoNull: a Double stays a Double", sf.NoNull(2.5), 2.5
Check "NoNull: a Date stays a Date", sf.NoNull(DateSerial(2024, 2, 29)), DateSerial(2024, 2, 29)
Check "NoNull: False stays False", sf.NoNull(False), False
Check "NoNull: a String stays", sf.NoNull("x"), "x"
result = Null
Check "NoNull: Null in a variable", sf.NoNull(result), ""

Check "IsCustomString: a letter among digits", sf.IsCustomString("12a", sf.MATCH_DIGITS), False
Check "IsCustomString: digits only", sf.IsCustomString("1234", sf.MATCH_DIGITS), True
Check "IsCustomString: empty text", sf.IsCustomString("", "x"), True
Check "IsCustomString: empty set", sf.IsCustomString("abc", ""), False
Check "IsCustomString: case-sensitive", sf.IsCustomString("abc", "ABC"), False
Check "IsCustomString: any order", sf.IsCustomString("cab", "abc"), True
Check "IsCustomString: a space is a character too", sf.IsCustomString("a b", sf.MATCH_CHARS), False

result = sf.GetRndString(10)
Check "GetRndString: 10 characters", Len(result), CLng(10)
Check "GetRndString: default set is letters and digits", OnlyFrom(result, sf.MATCH_CHARS & sf.MATCH_DIGITS), True
result = sf.GetRndString(2000, "xy")
Check "GetRndString: only from the set given", OnlyFrom(result, "xy"), True
Check "GetRndString: every character of the set turns up", InStr(result, "x") > 0 And InStr(result, "y") > 0, True
Check "GetRndString: one character", sf.GetRndString(5, "x"), "xxxxx"
Check "GetRndString: length 0", sf.GetRndString(0, "abc"), ""
Check "GetRndString: negative length", sf.GetRndString(-5, "abc"), ""

' The language's Randomize does not reach GetRndString: after the same seed
' VBScript's Rnd repeats itself, GetRndString does not, and every call differs.
Dim seen, first, again, rnd1, rnd2, repeats
Rnd -1 : Randomize 7 : rnd1 = Rnd
first = sf.GetRndString(32)
Rnd -1 : Randomize 7 : rnd2 = Rnd
again = sf.GetRndString(32)
Check "Randomize 7 twice repeats Rnd (the reseed took effect)", rnd1 = rnd2, True
Check "GetRndString after the same Randomize gives another string", first = again, False
Set seen = CreateObject("Scripting.Dictionary")
repeats = 0
For n = 1 To 500
  Rnd -1 : Randomize 7
  result = sf.GetRndString(16)
  If seen.Exists(result) Then repeats = repeats + 1 Else seen.Add result, n
Next
Check "500 calls after the same Randomize: all distinct", repeats, 0

On Error Resume Next
result = sf.GetRndString(10, "")
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
CheckError "GetRndString with an empty set", n, d, s, -2147218503, _
           "UsingThisChars in GetRndString can't be an empty string", "TarnLib.dll"

On Error Resume Next
result = sf.GetRndString(0, "")
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
CheckError "GetRndString of 0 with an empty set", n, d, s, -2147218503, _
           "UsingThisChars in GetRndString can't be an empty string", "TarnLib.dll"

On Error Resume Next
result = sf.GetRndString(-2147483648)
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
CheckError "GetRndString of -2147483648", n, d, s, 6, "Overflow", "TarnLib"

' No String can hold 2147483647 characters: the allocation fails before any draw.
On Error Resume Next
result = sf.GetRndString(2147483647)
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
CheckError "GetRndString of 2147483647", n, d, s, 7, "Out of memory", "TarnLib"

On Error Resume Next
result = sf.FirstUCase(String(32767, "x"))
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
CheckError "FirstUCase of 32767 characters", n, d, s, 6, "Overflow", "TarnLib"

On Error Resume Next
result = sf.RemoveSpaces(String(32766, "x") & " ")
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
CheckError "RemoveSpaces with a space at 32767", n, d, s, 6, "Overflow", "TarnLib"

On Error Resume Next
result = sf.OnlyOneSpace(String(32766, "x") & "  ")
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
CheckError "OnlyOneSpace with a run at 32767", n, d, s, 6, "Overflow", "TarnLib"

On Error Resume Next
result = "before"
result = sf.FirstUCase(String(40000, "x"))
n = Err.Number
On Error GoTo 0
Check "a failed call assigns nothing", result, "before"
Check "and reports its error", n, CLng(6)

Summary
