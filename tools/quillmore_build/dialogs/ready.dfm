object PoolTemplate: TPoolTemplate
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup'
  ClientHeight = 360
  ClientWidth = 497
  Color = clBtnFace
  Font.Name = 'Tahoma'
  Font.Height = -11
  PixelsPerInch = 96
  object Banner: TPanel
    Left = 0
    Top = 0
    Width = 497
    Height = 58
    BevelOuter = bvNone
    Color = clWindow
    TabOrder = 99
    object BannerTitle: TLabel
      Left = 20
      Top = 12
      Width = 440
      Height = 14
      Caption = 'Ready to Install'
      Font.Name = 'Tahoma'
      Font.Height = -11
      Font.Style = [fsBold]
      ParentFont = False
    end
    object BannerText: TLabel
      Left = 32
      Top = 30
      Width = 440
      Height = 24
      Caption = 'The wizard has what it needs to install $TITLE$.'
      WordWrap = True
    end
  end
  object BannerLine: TBevel
    Left = 0
    Top = 58
    Width = 497
    Height = 2
    Shape = bsTopLine
  end
  object ReadyText: TLabel
    Left = 24
    Top = 76
    Width = 449
    Height = 28
    AutoSize = False
    Caption = 'Click Install to begin. Click Back to review or change any of your choices.'
    WordWrap = True
  end
  object SummaryGroup: TGroupBox
    Left = 24
    Top = 112
    Width = 449
    Height = 120
    Caption = 'Summary'
    TabOrder = 0
    object Summary: TLabel
      Left = 12
      Top = 22
      Width = 425
      Height = 88
      AutoSize = False
      Caption = 'Destination folder:$NEWLINE$    $TARGETDIR$'
      WordWrap = True
    end
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
    Enabled = True
    TabOrder = 90
  end
  object Next: TButton
    Tag = 1
    Left = 323
    Top = 324
    Width = 75
    Height = 25
    Caption = '&Install'
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
