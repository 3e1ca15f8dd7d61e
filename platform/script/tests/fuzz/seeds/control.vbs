On Error Resume Next
x = 1 / 0
Select Case Err.Number
  Case 11, 12: y = "div"
  Case 1 To 5: y = "low"
  Case Is > 100: y = "high"
  Case Else: y = Null
End Select
Do While x < 10
  x = x + 1
  If x = 5 Then Exit Do
Loop
Do : x = x - 1 : Loop Until x < 0
While x < 3 : x = x + 1 : Wend
For Each v In Split("a b c") : Out.Print v : Next
Err.Raise 5, "src", "text"
On Error GoTo 0
