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
      Caption = 'Select Features'
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
      Caption = 'Choose the parts of $TITLE$ you want to install.'
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
  object FeatureIntro: TLabel
    Left = 24
    Top = 72
    Width = 449
    Height = 14
    Caption = 'Click the icon of a feature to change how it is installed.'
  end
  object Features: TTreeView
    Tag = 1
    Left = 24
    Top = 92
    Width = 260
    Height = 160
    TabOrder = 0
  end
  object DescriptionGroup: TGroupBox
    Left = 296
    Top = 86
    Width = 177
    Height = 166
    Caption = 'Feature description'
    TabOrder = 1
    object Description: TStaticText
      Tag = 2
      Left = 10
      Top = 20
      Width = 157
      Height = 100
      AutoSize = False
    end
    object FeatureSize: TStaticText
      Tag = 3
      Left = 10
      Top = 136
      Width = 157
      Height = 17
      AutoSize = False
    end
  end
  object RequiredLabel: TLabel
    Left = 24
    Top = 262
    Width = 110
    Height = 13
    Caption = 'Space required:'
  end
  object Required: TStaticText
    Tag = 4
    Left = 136
    Top = 262
    Width = 150
    Height = 17
    AutoSize = False
  end
  object FreeLabel: TLabel
    Left = 24
    Top = 280
    Width = 110
    Height = 13
    Caption = 'Space available:'
  end
  object Free: TStaticText
    Tag = 5
    Left = 136
    Top = 280
    Width = 150
    Height = 17
    AutoSize = False
  end
  object RemainingLabel: TLabel
    Left = 296
    Top = 262
    Width = 80
    Height = 13
    Caption = 'Remaining:'
  end
  object Remaining: TStaticText
    Tag = 6
    Left = 376
    Top = 262
    Width = 97
    Height = 17
    AutoSize = False
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
