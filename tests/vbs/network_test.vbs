' Network as a VBScript user calls it. Only names this machine answers
' itself; names under .invalid do not resolve (the runner keeps them off DNS).
Dim net, result, n, d, s, own, longest
Set net = CreateObject("TarnLib.Network")

Function IsDotted(text)
  Dim re
  Set re = New RegExp
  re.Pattern = "^(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])(\.(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])){3}$"
  IsDotted = re.Test(text)
End Function

Check "GetIp of localhost", net.GetIp("localhost"), "127.0.0.1"
own = net.GetIp()
Check "GetIp omitted is a dotted address", IsDotted(own), True
Check "GetIp of the empty name is the machine's address", net.GetIp(""), own
Check "the machine's own name resolves", IsDotted(net.GetIp(CreateObject("WScript.Shell").ExpandEnvironmentStrings("%COMPUTERNAME%"))), True
Check "GetIp of a name that does not resolve", net.GetIp("nowhere.invalid"), ""

longest = String(56, "a") & ".invalid"
Check "a name of 64 characters is looked up", net.GetIp(longest), ""
On Error Resume Next
result = net.GetIp("b" & longest)
n = Err.Number : d = Err.Description : s = Err.Source
On Error GoTo 0
CheckError "GetIp of 65 characters", n, d, s, 5, "Invalid procedure call or argument", "TarnLib"

Check "bytes above 127 are written unsigned", net.GetIp("192.168.1.200"), "192.168.1.200"
Check "a zero byte is written 0", net.GetIp("10.0.0.1"), "10.0.0.1"

Check "HostByAddr of 127.0.0.1", net.HostByAddr("127.0.0.1"), "localhost"
Check "HostByAddr of an address without a name", net.HostByAddr("198.51.100.7"), ""
Check "HostByAddr of text that is not an address", net.HostByAddr("localhost"), ""

Summary
