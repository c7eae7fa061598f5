"Mesure"	1
"Travail"	2
"Phase"	3
"Choix"	4
"travail"	5
"Force de"	6
"début"	7
"Cote de"	8
"Nombre de"	9
"phases"	10
"Points"	11
"de"	12
"contrôle"	13
"Bande"	14
"haute"	15
"basse"	16
"Rebuts"	17
"Pièces au"	18
"panier"	19
"Confirmer"	20
"rebut"	21
"manuel"	22
"Utilisat."	23
"Nouvel"	24
"utilisat."	25
"Changer"	26
"mot de"	27
"passe"	28
"Historique"	29
"Effacer"	30
"historique"	31
"Entrées"	32
"et"	33
"sorties"	34
"Sortie"	35
"Étalonnage"	36
"Échelle"	37
"force"	38
"Poids"	39
"étalon"	40
"Zéro"	41
"cote"	42
"Date"	43
"heure"	44
"Langue"	45
"Contraste"	46
"écran"	47
"Copier"	48
"Erreurs"	49
3,1,0,1,0,0		Mesure	1
2,0,0,2,1001		Travail "NomeLavoro"	2
2,0,0,3,1002		Phase "NomeFase"	3
2,0,0,4,5		Choix travail	4
2,0,174,6,7		Force de début	5
2,0,159,8,7		Cote de début	6
2,0,12,9,10		Nombre de phases	7
3,0,0,11,12,13		Points de contrôle	8
1,0,0,1006		"CheckPoint1"	9
1,0,0,1007		"CheckPoint2"	10
1,0,0,1008		"CheckPoint3"	11
2,0,21,14,15		Bande haute	12
2,0,22,14,16		Bande basse	13
3,2,0,17,0,0		Rebuts	14
2,0,30,18,19		Pièces au panier	15
3,0,0,20,21,22		Confirmer rebut manuel	16
3,3,0,23,0,0		Utilisat.	17
2,0,0,24,25		Nouvel utilisat.	18
3,0,0,26,27,28		Changer mot de passe	19
3,4,0,29,0,0		Historique	20
2,0,0,30,31		Effacer historique	21
3,0,0,32,33,34		Entrées et sorties	22
1,0,0,1000		"Supplementare1"	23
1,0,0,1004		"Supplementare2"	24
1,0,0,1005		"Supplementare3"	25
2,0,0,35,1003		Sortie "Brake"	26
3,5,0,36,0,0		Étalonnage	27
2,0,40,37,38		Échelle force	28
2,0,41,39,40		Poids étalon	29
2,0,0,41,42		Zéro cote	30
3,6,50,0,0,0			31
3,0,0,43,33,44		Date et heure	32
1,0,0,45		Langue	33
2,0,60,46,47		Contraste écran	34
3,0,0,48,5,1001		Copier travail "NomeLavoro"	35
1,0,0,49		Erreurs	36
