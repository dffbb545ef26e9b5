' FileExists, GetFileName and GetDirName as a VBScript user calls them, on
' files in a folder of the script's own.
Dim gu, fso, folder, path, stream
Set gu = CreateObject("TarnLib.GeneralUtility")
Set fso = CreateObject("Scripting.FileSystemObject")

folder = fso.BuildPath(fso.GetSpecialFolder(2), fso.GetTempName)
fso.CreateFolder folder
path = folder & "\notes.txt"
Set stream = fso.CreateTextFile(path)
stream.Write "hello"
stream.Close

Check "an existing file", gu.FileExists(path), True
Check "the file is unchanged", CLng(fso.GetFile(path).Size), CLng(5)
Check "a missing file", gu.FileExists(folder & "\missing.txt"), False
Check "the missing file was not created", fso.FileExists(folder & "\missing.txt"), False
Check "a directory", gu.FileExists(folder), False
Check "the empty name", gu.FileExists(""), False
Check "a wildcard", gu.FileExists(folder & "\*.txt"), False

Check "GetFileName", gu.GetFileName("C:\Windows\win.ini"), "win.ini"
Check "GetDirName keeps the backslash", gu.GetDirName("C:\Windows\win.ini"), "C:\Windows\"
Check "GetFileName without backslash", gu.GetFileName("C:win.ini"), "C:win.ini"
Check "GetDirName without backslash", gu.GetDirName("C:win.ini"), ""
Check "GetFileName of a folder path", gu.GetFileName("C:\Windows\"), ""
Check "GetFileName of a UNC path", gu.GetFileName("\\server\share\f.txt"), "f.txt"
Check "GetDirName of a UNC path", gu.GetDirName("\\server\share\f.txt"), "\\server\share\"
Check "forward slashes are not separators", gu.GetFileName("docs/notes.txt"), "docs/notes.txt"
Check "spaces trimmed", gu.GetDirName("  C:\My Files\a b.txt  "), "C:\My Files\"
Check "GetFileName of the empty string", gu.GetFileName(""), ""
Check "the result is a String", TypeName(gu.GetDirName("")), "String"
Check "directory and file make the path", gu.GetDirName(path) & gu.GetFileName(path), path

' The file was closed: it can be deleted.
fso.DeleteFile path
fso.DeleteFolder folder
Check "cleaned up", fso.FolderExists(folder), False

Summary
