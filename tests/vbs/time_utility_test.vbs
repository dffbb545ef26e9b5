' TimeUtility as a VBScript user calls it.
Dim tu, seconds, expected, i
Set tu = CreateObject("TarnLib.TimeUtility")

Check "February 2000", tu.UltimoMese(2, 2000), CInt(29)
Check "February 1900", tu.UltimoMese(2, 1900), CInt(28)
Check "February 2024", tu.UltimoMese(2, 2024), CInt(29)
Check "February 2023", tu.UltimoMese(2, 2023), CInt(28)
Check "April", tu.UltimoMese(4, 2023), CInt(30)
Check "November", tu.UltimoMese(11, 1), CInt(30)
Check "January", tu.UltimoMese(1, 1999), CInt(31)
Check "December", tu.UltimoMese(12, 1999), CInt(31)
Check "month 0", tu.UltimoMese(0, 2024), CInt(31)
Check "month 13", tu.UltimoMese(13, 2024), CInt(31)
Check "month -1", tu.UltimoMese(-1, 2024), CInt(31)

Check "leap 2000", tu.isLeapYear(2000), True
Check "leap 1900", tu.isLeapYear(1900), False
Check "leap 0", tu.isLeapYear(0), True
Check "leap -4", tu.isLeapYear(-4), True
Check "leap -100", tu.isLeapYear(-100), False
Check "leap -32768", tu.isLeapYear(-32768), True
Check "leap 32767", tu.isLeapYear(32767), False

' Every month of a leap year and of a common year.
Dim total
total = 0
For i = 1 To 12 : total = total + tu.UltimoMese(i, 2024) : Next
Check "days of 2024", total, 366
total = 0
For i = 1 To 12 : total = total + tu.UltimoMese(i, 2023) : Next
Check "days of 2023", total, 365

' The same count as the script's own date arithmetic on the local clock.
' (Wine's VBScript has no DateDiff: days as a Double, times 86400.)
expected = Int(CDbl(Now - DateSerial(1970, 1, 1)) * 86400 + 0.5)
seconds = tu.SecFrom1970
Check "SecFrom1970 is a Long", TypeName(seconds), "Long"
Check "SecFrom1970 against DateDiff on Now", Abs(seconds - expected) <= 2, True

Dim n
On Error Resume Next
n = tu.isLeapYear(40000)
Check "a year outside the Integer range", Err.Number <> 0, True
On Error GoTo 0

Summary
