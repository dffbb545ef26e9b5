Option Explicit
' Shared by the VBScript tests: one "ok" line per check and a closing
' "N passed, N failed" line. Included by the runner before each test script.
Dim passed, failed
passed = 0
failed = 0

' The script host's bitness, for the runner to check against the one it asked
' for: a 32-bit process says x86 here even on 64-bit Windows, where
' PROCESSOR_ARCHITEW6432 then names the machine.
Sub EchoScriptHost()
  Dim environment
  Set environment = CreateObject("WScript.Shell").Environment("Process")
  WScript.Echo "script host: PROCESSOR_ARCHITECTURE=" & environment("PROCESSOR_ARCHITECTURE") & _
               ", PROCESSOR_ARCHITEW6432=" & environment("PROCESSOR_ARCHITEW6432")
End Sub
EchoScriptHost

Sub Check(name, actual, expected)
  If VarType(actual) = VarType(expected) And actual = expected Then
    passed = passed + 1
    WScript.Echo "ok - " & name
  Else
    failed = failed + 1
    WScript.Echo "not ok - " & name & ": got [" & actual & "] (" & TypeName(actual) & "), expected [" & _
                 expected & "] (" & TypeName(expected) & ")"
  End If
End Sub

' Checks an error captured right after a call made under On Error Resume Next.
Sub CheckError(name, number, description, source, expectedNumber, expectedDescription, expectedSource)
  Check name & ": Err.Number", number, CLng(expectedNumber)
  Check name & ": Err.Description", description, expectedDescription
  Check name & ": Err.Source", source, expectedSource
End Sub

Sub Summary()
  WScript.Echo passed & " passed, " & failed & " failed"
End Sub
