Option Explicit
Dim a(3), i, s
Const K = &HFF
Function F(ByVal n, m)
  If n <= 1 Then F = 1 Else F = n * F(n - 1, m)
  m = m + 1
End Function
Sub S1(x) : x = x & "!" : End Sub
For i = 0 To UBound(a) Step 1
  a(i) = F(i, s)
Next
ReDim Preserve a(5)
s = Join(Array(1, 2), ",") & Mid("abc", 2) & Hex(-1) & CStr(1.5)
S1 (s) : S1 s
