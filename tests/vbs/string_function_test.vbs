' StringFunction as a VBScript user calls it: late bound, errors through Err.
Dim sf, result, n, d, s
Set sf = CreateObject("TarnLib.StringFunction")

Check "MATCH_UPPER_CHARS", sf.MATCH_UPPER_CHARS, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
Check "MATCH_LOWER_CHARS", sf.MATCH_LOWER_CHARS, "abcdefghijklmnopqrstuvwxyz"
Check "MATCH_CHARS, capitals first", sf.MATCH_CHARS, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
Check "MATCH_DIGITS", sf.MATCH_DIGITS, "0123456789"
Check "MATCH_SPACES is a space and a tab", sf.MATCH_SPACES, " " & vbTab
Check "versioned ProgID", CreateObject("TarnLib.StringFunction.11").MATCH_DIGITS, "0123456789"

Check "Count: overlapping occurrences", sf.CountStringInString("aaaa", "aa"), CLng(3)
Check "Count: Exact False ignores case", sf.CountStringInString("Abc abc", "ABC", False), CLng(2)
Check "Count: Exact omitted is exact", sf.CountStringInString("Abc abc", "ABC"), CLng(0)
Check "Count: Exact True is exact", sf.CountStringInString("Abc abc", "ABC", True), CLng(0)
Check "Count: Exact 1 is exact", sf.CountStringInString("Abc abc", "ABC", 1), CLng(0)
Check "Count: no match past the end", sf.CountStringInString("ab", "abc"), CLng(0)

Check "InStrEx 3", sf.InStrEx(3, "abcabc", "bc"), CLng(5)
Check "InStrEx -1", sf.InStrEx(-1, "abcabc", "bc"), CLng(2)
Check "InStrEx -3", sf.InStrEx(-3, "abcabc", "bc"), CLng(5)
Check "InStrEx -6", sf.InStrEx(-6, "abcabc", "bc"), CLng(0)
Check "InStrEx 0 is like -1", sf.InStrEx(0, "abcabc", "bc"), CLng(2)
Check "InStrEx -2 with overlaps", sf.InStrEx(-2, "aaaa", "aa"), CLng(2)
Check "InStrEx empty Source", sf.InStrEx(-1, "", "bc"), CLng(0)
Check "InStrEx text compare", sf.InStrEx(1, "abcabc", "BC", vbTextCompare), CLng(2)
Check "InStrEx compare omitted is binary", sf.InStrEx(1, "abcabc", "BC"), CLng(0)

On Error Resume Next
result = sf.CountStringInString("", "a")
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
CheckError "Count with empty Source", n, d, s, 9, "Subscript out of range", "TarnLib"

On Error Resume Next
result = sf.CountStringInString("abc", "")
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
CheckError "Count with empty Match", n, d, s, 9, "Subscript out of range", "TarnLib"

On Error Resume Next
result = sf.InStrEx(-2147483648, "abc", "b")
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
CheckError "InStrEx from -2147483648", n, d, s, 6, "Overflow", "TarnLib"

On Error Resume Next
result = sf.InStrEx(1, "abc", "b", 2)
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
CheckError "InStrEx with method 2", n, d, s, 5, "Invalid procedure call or argument", "TarnLib"

On Error Resume Next
result = sf.ConvertRetToTab(13)
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
' cscript has no window to receive the Tab keystroke.
CheckError "ConvertRetToTab(13) without a window", n, d, s, CLng(5), "Invalid procedure call or argument", "TarnLib"

On Error Resume Next
result = sf.InStrEx(1, "abc", "c")
n = Err.Number
On Error GoTo 0
Check "no error left behind by a successful call", n, CLng(0)
Check "result of that call", result, CLng(3)

Summary
