' _Connect called from VBScript with variables, which the script passes by
' reference (VT_BYREF | VT_VARIANT), and with literals, which it passes by
' value: one line per call (its error number and result), then the variables.
Option Explicit
Dim z, s, n, e, u, r
Set z = CreateObject("zarvik.Connect")
s = "Mapnote,Tessaly..."
n = 42
e = Empty
u = Null
On Error Resume Next
Err.Clear : r = "-" : r = z.GetCaption(s) : WScript.Echo "GetCaption(string) " & Err.Number & " [" & r & "]"
Err.Clear : r = "-" : r = z.GetTag(s) : WScript.Echo "GetTag(string) " & Err.Number & " [" & r & "]"
Err.Clear : r = "-" : r = z.GetCaption(n) : WScript.Echo "GetCaption(number) " & Err.Number & " [" & r & "]"
Err.Clear : r = "-" : r = z.GetTag(n) : WScript.Echo "GetTag(number) " & Err.Number & " [" & r & "]"
Err.Clear : r = "-" : r = z.GetCaption(e) : WScript.Echo "GetCaption(empty) " & Err.Number & " [" & r & "]"
Err.Clear : r = "-" : r = z.GetTag(e) : WScript.Echo "GetTag(empty) " & Err.Number & " [" & r & "]"
Err.Clear : r = "-" : r = z.GetCaption(u) : WScript.Echo "GetCaption(null) " & Err.Number & " [" & r & "]"
Err.Clear : r = "-" : r = z.GetTag(u) : WScript.Echo "GetTag(null) " & Err.Number & " [" & r & "]"
Err.Clear : r = "-" : r = z.GetCaption(42) : WScript.Echo "GetCaption(literal number) " & Err.Number & " [" & r & "]"
Err.Clear : r = "-" : r = z.GetTag(42) : WScript.Echo "GetTag(literal number) " & Err.Number & " [" & r & "]"
Err.Clear : r = "-" : r = z.GetCaption("") : WScript.Echo "GetCaption(literal empty string) " & Err.Number & " [" & r & "]"
Err.Clear : r = "-" : r = z.GetTag("") : WScript.Echo "GetTag(literal empty string) " & Err.Number & " [" & r & "]"
WScript.Echo "string " & TypeName(s) & " [" & s & "]"
WScript.Echo "number " & TypeName(n) & " [" & n & "]"
WScript.Echo "empty " & TypeName(e)
WScript.Echo "null " & TypeName(u)
