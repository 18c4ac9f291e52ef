object PoolTemplate: TPoolTemplate
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup'
  ClientHeight = 360
  ClientWidth = 497
  Color = clBtnFace
  Font.Name = 'Tahoma'
  Font.Height = -11
  PixelsPerInch = 96
  object Side: TPanel
    Left = 0
    Top = 0
    Width = 164
    Height = 312
    BevelOuter = bvNone
    Color = $00915A1E
    TabOrder = 98
  end
  object Title: TLabel
    Left = 184
    Top = 20
    Width = 292
    Height = 48
    AutoSize = False
    Caption = 'Welcome to the $TITLE$ Setup Wizard'
    Font.Name = 'Tahoma'
    Font.Height = -19
    Font.Style = [fsBold]
    ParentFont = False
    WordWrap = True
  end
  object Body: TLabel
    Left = 184
    Top = 84
    Width = 292
    Height = 150
    AutoSize = False
    Caption = 'This wizard installs $TITLE$ on your computer.$NEWLINE$$NEWLINE$Close other programs before you continue, so that setup can update the files they use.$NEWLINE$$NEWLINE$Click Next to continue, or Cancel to leave the wizard.'
    WordWrap = True
  end
  object ButtonLine: TBevel
    Left = 0
    Top = 312
    Width = 497
    Height = 2
    Shape = bsTopLine
  end
  object Back: TButton
    Tag = 2
    Left = 248
    Top = 324
    Width = 75
    Height = 25
    Caption = '< &Back'
    Enabled = False
    TabOrder = 90
  end
  object Next: TButton
    Tag = 1
    Left = 323
    Top = 324
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    Enabled = True
    TabOrder = 91
  end
  object Cancel: TButton
    Tag = 3
    Left = 410
    Top = 324
    Width = 75
    Height = 25
    Caption = 'Cancel'
    Cancel = True
    Enabled = True
    TabOrder = 92
  end
end
