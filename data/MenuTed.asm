"Messen"	1
"Auftrag"	2
"Phase"	3
"waehlen"	4
"Startkraft"	5
"Startweg"	6
"Anzahl"	7
"Phasen"	8
"Kontroll"	9
"punkte"	10
"Oberes"	11
"Band"	12
"Unteres"	13
"Ausschuss"	14
"Teile"	15
"im Korb"	16
"von Hand"	17
"quittieren"	18
"Benutzer"	19
"Neuer"	20
"Passwort"	21
"aendern"	22
"Verlauf"	23
"löschen"	24
"Ein-"	25
"und"	26
"Ausgaenge"	27
"Ausgang"	28
"Kalibrier."	29
"Messber."	30
"Kraft"	31
"Pruef"	32
"gewicht"	33
"Weg"	34
"Nullpunkt"	35
"Datum"	36
"Uhrzeit"	37
"Sprache"	38
"Anzeige"	39
"Kontrast"	40
"kopieren"	41
"Fehler"	42
3,1,0,1,0,0		Messen	1
2,0,0,2,1001		Auftrag "NomeLavoro"	2
2,0,0,3,1002		Phase "NomeFase"	3
2,0,0,2,4		Auftrag waehlen	4
1,0,174,5		Startkraft	5
1,0,159,6		Startweg	6
2,0,12,7,8		Anzahl Phasen	7
2,0,0,9,10		Kontroll punkte	8
1,0,0,1006		"CheckPoint1"	9
1,0,0,1007		"CheckPoint2"	10
1,0,0,1008		"CheckPoint3"	11
2,0,21,11,12		Oberes Band	12
2,0,22,13,12		Unteres Band	13
3,2,0,14,0,0		Ausschuss	14
2,0,30,15,16		Teile im Korb	15
3,0,0,14,17,18		Ausschuss von Hand quittieren	16
3,3,0,19,0,0		Benutzer	17
2,0,0,20,19		Neuer Benutzer	18
2,0,0,21,22		Passwort aendern	19
3,4,0,23,0,0		Verlauf	20
2,0,0,23,24		Verlauf löschen	21
3,0,0,25,26,27		Ein- und Ausgaenge	22
1,0,0,1000		"Supplementare1"	23
1,0,0,1004		"Supplementare2"	24
1,0,0,1005		"Supplementare3"	25
2,0,0,28,1003		Ausgang "Brake"	26
3,5,0,29,0,0		Kalibrier.	27
2,0,40,30,31		Messber. Kraft	28
2,0,41,32,33		Pruef gewicht	29
2,0,0,34,35		Weg Nullpunkt	30
3,6,50,0,0,0			31
3,0,0,36,26,37		Datum und Uhrzeit	32
1,0,0,38		Sprache	33
2,0,60,39,40		Anzeige Kontrast	34
3,0,0,2,41,1001		Auftrag kopieren "NomeLavoro"	35
1,0,0,42		Fehler	36
