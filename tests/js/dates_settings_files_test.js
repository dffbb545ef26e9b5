// TimeUtility, CRegSettings and GeneralUtility as a JScript user calls them.
var tu = new ActiveXObject("TarnLib.TimeUtility");
check("UltimoMese(2, 2024)", tu.UltimoMese(2, 2024), 29);
check("UltimoMese(2, 1900)", tu.UltimoMese(2, 1900), 28);
check("isLeapYear(2000)", tu.isLeapYear(2000), true);
check("isLeapYear(1900)", tu.isLeapYear(1900), false);
checkError("a year outside the Integer range", function () { tu.isLeapYear(40000); }, 0x8002000A);

// SecFrom1970 counts the local wall clock: UTC seconds plus the local offset.
var now = new Date();
var expected = Math.floor(now.getTime() / 1000) - now.getTimezoneOffset() * 60;
var seconds = tu.SecFrom1970();
check("SecFrom1970 is a number", typeof seconds, "number");
check("SecFrom1970 against the script's clock", Math.abs(seconds - expected) <= 2, true);

// Settings under a company of the test's own, removed at the end.
var rs = new ActiveXObject("TarnLib.CRegSettings");
var shell = new ActiveXObject("WScript.Shell");
var company = "TarnLib JS Test " + Math.floor(Math.random() * 1000000000);
check("default Company", rs.Company, "VB and VBA Program Settings");
check("default AppName", rs.AppName, "TarnLib");
rs.Company = company;
rs.AppName = "Tour";
check("Company set", rs.Company, company);
check("GetSetting of nothing, default given", rs.GetSetting("Sect", "Key", "none"), "none");
check("GetSetting of nothing, default omitted", rs.GetSetting("Sect", "Key"), "");
check("SaveSetting", rs.SaveSetting("Sect", "Key", "abc"), true);
check("GetSetting", rs.GetSetting("Sect", "Key", "none"), "abc");
check("stored as REG_SZ", shell.RegRead("HKCU\\Software\\" + company + "\\Tour\\Sect\\Key"), "abc");
check("a number is stored as text", (rs.SaveSetting("Sect", "N", 42), rs.GetSetting("Sect", "N")), "42");
check("DeleteSetting of a value", rs.DeleteSetting("Sect", "Key"), true);
check("the deleted value reads the default", rs.GetSetting("Sect", "Key", "gone"), "gone");
check("DeleteSetting with neither section nor key", rs.DeleteSetting(""), false);
check("DeleteSetting of a section", rs.DeleteSetting("Sect"), true);
checkError("SaveSetting needs its value", function () { rs.SaveSetting("Sect", "Key"); }, 0x8002000E);
check("remove the company key",
      shell.Run("reg.exe delete \"HKCU\\Software\\" + company + "\" /f", 0, true), 0);

// Files in a folder of the test's own.
var gu = new ActiveXObject("TarnLib.GeneralUtility");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var folder = fso.BuildPath(fso.GetSpecialFolder(2), fso.GetTempName());
fso.CreateFolder(folder);
var path = folder + "\\notes.txt";
var stream = fso.CreateTextFile(path);
stream.Write("hello");
stream.Close();
check("FileExists of a file", gu.FileExists(path), true);
check("FileExists of a missing file", gu.FileExists(folder + "\\missing.txt"), false);
check("FileExists of a folder", gu.FileExists(folder), false);
check("GetFileName", gu.GetFileName("C:\\Windows\\win.ini"), "win.ini");
check("GetDirName keeps the backslash", gu.GetDirName("C:\\Windows\\win.ini"), "C:\\Windows\\");
check("directory and file make the path", gu.GetDirName(path) + gu.GetFileName(path), path);
checkError("LimitCursor of null", function () { gu.LimitCursor(null); }, 0x80020005);
fso.DeleteFile(path);
fso.DeleteFolder(folder);
check("cleaned up", fso.FolderExists(folder), false);

summary();
