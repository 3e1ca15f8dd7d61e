Sub Obj_Changed(v)
  Out.Print "event " & v
End Sub
Set o = CreateObject("Zelkor.TestObject")
o.Name = "n" : Set o.Child = Obj
Out.Print o.Child.Name & Obj.Add(1) & Obj.Join("a", "b", "-") & Count
For Each item In Obj.Items : Out.Print item : Next
Obj.Raise 3
If o.Child Is Obj Then Set o = Nothing
Out.Print TypeName(o) & VarType(Obj) & IsObject(Obj) & (Null And False)
x = MsgBox("q", 4) + Len(InputBox("p", "t", "d"))
