' A script client, late-bound as the dialog's own macros are: it creates
' tavo.zupo by name and calls MyFunClick with objects of its own making.
' Arguments: the folder whose data folder the dialog should list.
Option Explicit

Dim switchLog, failures
switchLog = ""
failures = 0

Class ScriptWorkbook
  Public Path
End Class

Class ScriptApplication
  Public Book
  Public Property Let DisplayAlerts(v)
    switchLog = switchLog & "DisplayAlerts=" & v & ";"
  End Property
  Public Property Let ScreenUpdating(v)
    switchLog = switchLog & "ScreenUpdating=" & v & ";"
  End Property
  Public Property Let EnableEvents(v)
    switchLog = switchLog & "EnableEvents=" & v & ";"
  End Property
  Public Property Get ThisWorkbook()
    Set ThisWorkbook = Book
  End Property
End Class

Class ScriptList
  Public Items
  Public Sub AddItem(item)
    Items = Items & item & ";"
  End Sub
End Class

Class ScriptForm
  Public ltbCJB
  Public Caption
End Class

Sub Check(ok, what)
  If Not ok Then
    failures = failures + 1
    WScript.Echo "FAILED: " & what
  End If
End Sub

Dim zupo, app, form
Set zupo = CreateObject("tavo.zupo")
Set app = New ScriptApplication
Set app.Book = New ScriptWorkbook
app.Book.Path = WScript.Arguments(0)
Set form = New ScriptForm
Set form.ltbCJB = New ScriptList
form.Caption = "tavo"

Dim result
result = zupo.MyFunClick(app, form, "noSuchCommand")
Check IsEmpty(result), "MyFunClick gives an empty result"
Check switchLog = "DisplayAlerts=False;ScreenUpdating=False;EnableEvents=False;" & _
                  "EnableEvents=True;DisplayAlerts=True;ScreenUpdating=True;", "switches off and on: " & switchLog

switchLog = ""
zupo.MyFunClick app, form, "UFInitialize"
Check form.ltbCJB.Items = "a.xlsx;", "the data folder is listed: " & form.ltbCJB.Items
Check InStr(switchLog, "EnableEvents=True") > 0, "switches on again after the command"

' The score-band command with its optional fourth argument, by name.
switchLog = ""
zupo.MyFunClick app, form, "UFInitialize", "ignored"
Check form.ltbCJB.Items = "a.xlsx;a.xlsx;", "a fourth argument is accepted"

If failures = 0 Then
  WScript.Echo "PASSED"
  WScript.Quit 0
End If
WScript.Quit 1
